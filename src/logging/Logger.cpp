#include "logging/Logger.h"

#include "logging/LoggerImpl.h"

#include <mutex>

namespace {
std::mutex g_instanceMutex;
Logger* g_instance = nullptr;
}  // namespace

Logger* Logger::GetInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance)
        g_instance = new Logger();
    return g_instance;
}

void Logger::DestroyInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    delete g_instance;
    g_instance = nullptr;
}

void Logger::Error(const QString& text)
{
    if (LoggerImpl* impl = LoggerImpl::ProcessInstance())
        impl->Error(text);
}

void Logger::Info(const QString& text)
{
    if (LoggerImpl* impl = LoggerImpl::ProcessInstance())
        impl->Info(text);
}
