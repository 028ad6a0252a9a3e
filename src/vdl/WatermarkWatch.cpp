#include "WatermarkWatch.h"

#include "Port.h"

void WatermarkWatch::SetCallback(VDL_WatermarkCallback callback, void* user)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_callback = callback;
    m_user = user;
    if (m_calling && m_callingThread == std::this_thread::get_id())
        return;
    m_idle.wait(lock, [this] { return !m_calling; });
}

void WatermarkWatch::Deliver(int32_t port, const std::vector<VDL_WatermarkReport>& reports)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (const VDL_WatermarkReport& report : reports) {
        // Read again for every report: a change made during the previous call takes effect.
        const VDL_WatermarkCallback callback = m_callback;
        void* const user = m_user;
        if (!callback)
            break;
        m_calling = true;
        m_callingThread = std::this_thread::get_id();
        lock.unlock();
        const VDL_WatermarkReport* p = &report;
        callback(port, &p, user);
        lock.lock();
        m_calling = false;
        m_idle.notify_all();
    }
}

void WatermarkWatch::StampTimes(VDL_WatermarkStatusBlock& status, int64_t originMillis)
{
    if (originMillis == 0)
        return;
    if (status.firstFailureMillis >= 0)
        status.firstFailureTime = Port::PackLocal(originMillis + status.firstFailureMillis);
    if (status.longestGapMillis > 0) {
        status.gapFromTime = Port::PackLocal(originMillis + status.gapFromMillis);
        status.gapToTime = Port::PackLocal(originMillis + status.gapToMillis);
    }
}

void WatermarkWatch::Publish(const VDL_WatermarkStatusBlock& status, int64_t originMillis)
{
    VDL_WatermarkStatusBlock stamped = status;
    StampTimes(stamped, originMillis);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status = stamped;
}

VDL_WatermarkStatusBlock WatermarkWatch::Status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}
