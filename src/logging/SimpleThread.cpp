#include "logging/SimpleThread.h"

#include <cerrno>
#include <system_error>

namespace CCThread {

int SimpleThread::WaitForHandle(std::thread& handle)
{
    if (!handle.joinable())
        return EINVAL;
    if (handle.get_id() == std::this_thread::get_id())
        return EDEADLK;
    try {
        handle.join();
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    return 0;
}

}  // namespace CCThread
