#include "logging/SimpleThreadBase.h"

#include <future>
#include <system_error>
#include <unistd.h>

namespace CCThread {

SimpleThreadBase::SimpleThreadBase(std::string name) : name_(std::move(name)) {}

SimpleThreadBase::~SimpleThreadBase()
{
    if (handle_.joinable())
        handle_.detach();
}

bool SimpleThreadBase::Start()
{
    if (IsRunning())
        return true;
    if (handle_.joinable())
        handle_.join();  // the previous body has returned; this only reaps it

    parameter_ = this;
    running_.store(true, std::memory_order_release);
    // Both ways: the starter learns the new thread's id, and the body waits until the handle is
    // stored, since Run may look at it.
    std::promise<uint32_t> started;
    std::future<uint32_t> startedId = started.get_future();
    std::promise<void> handleStored;
    try {
        handle_ = std::thread([this, started = std::move(started), stored = handleStored.get_future()]() mutable {
            started.set_value(CurrentThreadId());
            stored.wait();
            const uint32_t code = Run(parameter_);
            exitCode_.store(code, std::memory_order_release);
            running_.store(false, std::memory_order_release);
        });
    } catch (const std::system_error& error) {
        running_.store(false, std::memory_order_release);
        lastError_ = error.code().value();
        return false;
    }
    threadId_.store(startedId.get(), std::memory_order_release);
    lastError_ = 0;
    handleStored.set_value();
    return true;
}

bool SimpleThreadBase::IsCurrentThread() const
{
    return handle_.joinable() && handle_.get_id() == std::this_thread::get_id();
}

uint32_t SimpleThreadBase::CurrentThreadId()
{
    thread_local const uint32_t id = static_cast<uint32_t>(gettid());
    return id;
}

}  // namespace CCThread
