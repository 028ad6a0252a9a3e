#pragma once

#include "vdl/vdl.h"

#include <array>
#include <memory>
#include <mutex>

class Port;

// The process's ports, 1 to VDL_MAX_PORTS. Calls hold a port by shared pointer, so a port that
// is released while another thread still uses it lives until that call returns.
class PortTable {
public:
    static PortTable& Instance();

    int Acquire(int32_t* number);
    int Release(int32_t number);
    std::shared_ptr<Port> Find(int32_t number);

private:
    std::mutex m_mutex; // guards m_ports
    std::array<std::shared_ptr<Port>, VDL_MAX_PORTS + 1> m_ports;
};
