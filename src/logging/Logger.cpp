#include "logging/Logger.h"

#include "logging/LoggerImpl.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex g_facadeMutex;
Logger* g_facade = nullptr;

// The one LoggerImpl of the process. Any other static initialiser may log before the holder below
// has run, so it is made on demand under a lock; the holder makes sure it exists before main()
// and drains it during static destruction. After that, records are dropped.
std::mutex g_implMutex;
std::atomic<LoggerImpl*> g_impl{nullptr};
bool g_implGone = false;

LoggerImpl* ProcessLogger()
{
    LoggerImpl* impl = g_impl.load(std::memory_order_acquire);
    if (impl)
        return impl;
    std::lock_guard<std::mutex> lock(g_implMutex);
    impl = g_impl.load(std::memory_order_acquire);
    if (!impl && !g_implGone) {
        impl = new LoggerImpl();
        g_impl.store(impl, std::memory_order_release);
    }
    return impl;
}

struct ProcessLoggerHolder {
    ProcessLoggerHolder() { ProcessLogger(); }
    ~ProcessLoggerHolder()
    {
        LoggerImpl* impl = nullptr;
        {
            std::lock_guard<std::mutex> lock(g_implMutex);
            impl = g_impl.exchange(nullptr, std::memory_order_acq_rel);
            g_implGone = true;
        }
        delete impl;
    }
};
ProcessLoggerHolder g_holder;

}  // namespace

Logger* Logger::GetInstance()
{
    std::lock_guard<std::mutex> lock(g_facadeMutex);
    if (!g_facade)
        g_facade = new Logger();
    return g_facade;
}

void Logger::DestroyInstance()
{
    std::lock_guard<std::mutex> lock(g_facadeMutex);
    delete g_facade;
    g_facade = nullptr;
}

void Logger::Error(const QString& text)
{
    if (LoggerImpl* impl = ProcessLogger())
        impl->Error(text);
}

void Logger::Info(const QString& text)
{
    if (LoggerImpl* impl = ProcessLogger())
        impl->Info(text);
}
