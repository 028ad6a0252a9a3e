#include "PortTable.h"

#include "Port.h"

PortTable& PortTable::Instance()
{
    static PortTable table;
    return table;
}

int PortTable::Acquire(int32_t* number)
{
    if (!number)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 1; i <= VDL_MAX_PORTS; ++i) {
        if (!m_ports[i]) {
            m_ports[i] = std::make_shared<Port>(i);
            *number = i;
            return VDL_ERR_NONE;
        }
    }
    return VDL_ERR_NO_FREE_PORT;
}

int PortTable::Release(int32_t number)
{
    std::shared_ptr<Port> port;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (number < 1 || number > VDL_MAX_PORTS || !m_ports[number])
            return VDL_ERR_BAD_PORT;
        port = std::move(m_ports[number]);
    }
    port->Shutdown(); // outside the table's lock: the port's thread may look up its leader
    return VDL_ERR_NONE;
}

std::shared_ptr<Port> PortTable::Find(int32_t number)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (number < 1 || number > VDL_MAX_PORTS)
        return nullptr;
    return m_ports[number];
}
