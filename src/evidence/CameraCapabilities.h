#pragma once

#include <array>
#include <cstdint>

// Four capability flags of a camera; the driver sets them to 1, 0, 0, 1 when it opens the file.
class CameraCapabilities {
public:
    virtual ~CameraCapabilities() = default;

    std::array<uint8_t, 4> flags{};
};
