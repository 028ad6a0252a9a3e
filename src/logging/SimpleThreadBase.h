#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace CCThread {

// The minimal worker-thread base of the logger and the cabinet worker: one body (Run), one way to
// ask it to end (Stop), and a start that never launches a second thread while one still runs.
class SimpleThreadBase {
public:
    explicit SimpleThreadBase(std::string name);
    // Lets go of a thread that still runs without waiting for it. A derived class whose state the
    // body uses must stop and wait for its thread in its own destructor.
    virtual ~SimpleThreadBase();

    SimpleThreadBase(const SimpleThreadBase&) = delete;
    SimpleThreadBase& operator=(const SimpleThreadBase&) = delete;

    // The thread body; parameter is the object itself.
    virtual uint32_t Run(void* parameter) = 0;
    // Asks the body to return; must not wait for it.
    virtual void Stop() = 0;
    // Waits without time limit until the thread behind handle has ended. Returns 0 when it has,
    // otherwise the system error code.
    virtual int WaitForHandle(std::thread& handle) = 0;

    // Starts Run on a new thread unless the previous one is still running, in which case nothing
    // is started and true is returned. Returns false when the system refused the thread;
    // LastError() then holds its error code.
    bool Start();

    bool IsRunning() const { return running_.load(std::memory_order_acquire); }
    // True when called from the thread this object started.
    bool IsCurrentThread() const;
    const std::string& Name() const { return name_; }
    // Kernel id of the started thread, 0 while none was started.
    uint32_t ThreadId() const { return threadId_.load(std::memory_order_acquire); }
    int LastError() const { return lastError_; }
    uint32_t ExitCode() const { return exitCode_.load(std::memory_order_acquire); }

    // Kernel id of the calling thread (cached per thread; it is asked for on every log call).
    static uint32_t CurrentThreadId();

protected:
    std::thread& Handle() { return handle_; }
    void SetLastError(int code) { lastError_ = code; }

private:
    std::string name_;
    std::atomic<uint32_t> threadId_{0};
    std::thread handle_;
    void* parameter_ = nullptr;
    int lastError_ = 0;
    std::atomic<bool> running_{false};
    std::atomic<uint32_t> exitCode_{0};
};

}  // namespace CCThread
