#include "logging/SimpleThread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// A body that records how it was called and runs until stopped.
class GatedThread : public CCThread::SimpleThread {
public:
    GatedThread() : SimpleThread("GatedThread") {}
    ~GatedThread() override
    {
        Stop();
        if (Handle().joinable())
            WaitForHandle(Handle());
    }

    uint32_t Run(void* parameter) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ++runs;
        parameterWasSelf = parameter == this;
        bodyThreadId = CurrentThreadId();
        selfWait = WaitForHandle(Handle());
        changed_.notify_all();
        changed_.wait(lock, [this] { return stop_; });
        stop_ = false;
        return 7;
    }

    void Stop() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }

    void WaitForRuns(int count)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, std::chrono::seconds(10), [&] { return runs == count; }));
    }

    int Join() { return WaitForHandle(Handle()); }

    int runs = 0;
    bool parameterWasSelf = false;
    uint32_t bodyThreadId = 0;
    int selfWait = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
};

TEST(SimpleThreadTest, StartsOnlyWhenNoThreadIsStillRunning)
{
    GatedThread thread;
    EXPECT_EQ(thread.ThreadId(), 0u);
    ASSERT_TRUE(thread.Start());
    thread.WaitForRuns(1);
    EXPECT_TRUE(thread.parameterWasSelf);
    EXPECT_EQ(thread.ThreadId(), thread.bodyThreadId);
    EXPECT_NE(thread.ThreadId(), CCThread::SimpleThreadBase::CurrentThreadId());
    EXPECT_EQ(thread.selfWait, EDEADLK) << "a thread cannot wait for itself";

    EXPECT_TRUE(thread.Start());
    thread.Stop();
    EXPECT_EQ(thread.Join(), 0);
    EXPECT_EQ(thread.runs, 1) << "the second start found the thread running";
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.ExitCode(), 7u);
    EXPECT_EQ(thread.Join(), EINVAL) << "nothing left to wait for";

    const uint32_t firstId = thread.ThreadId();
    ASSERT_TRUE(thread.Start());
    thread.WaitForRuns(2);
    EXPECT_NE(thread.ThreadId(), firstId);
    EXPECT_EQ(thread.Name(), "GatedThread");
    EXPECT_EQ(thread.LastError(), 0);
}

}  // namespace
