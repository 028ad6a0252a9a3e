#pragma once

#include "vdl/vdl.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// A port's watermark callback and status, handed between the port's callers and its thread. Owned by
// the port, which outlives its engine. SetCallback runs on any thread; Deliver on the port's
// thread. The callback is called without the lock held; SetCallback waits for a call in progress
// to return, so once it returns the previous callback is never called again and its user data
// may go. Called from inside the callback itself, SetCallback does not wait (it would wait for
// itself).
class WatermarkWatch {
public:
    void SetCallback(VDL_WatermarkCallback callback, void* user);
    // The port's thread: each report to the callback, when one is installed.
    void Deliver(int32_t port, const std::vector<VDL_WatermarkReport>& reports);
    // The port's thread: the checker's status after a packet. Status: a copy, any thread.
    // originMillis: the wall clock of played time 0 (0 unknown), which gives the status's
    // moments their packed times: the checker may have seen them before the port knew it.
    void Publish(const VDL_WatermarkStatusBlock& status, int64_t originMillis);
    static void StampTimes(VDL_WatermarkStatusBlock& status, int64_t originMillis);
    VDL_WatermarkStatusBlock Status() const;

private:
    mutable std::mutex m_mutex; // guards the members below
    std::condition_variable m_idle;
    VDL_WatermarkCallback m_callback = nullptr;
    void* m_user = nullptr;
    bool m_calling = false;          // a call of the callback is in progress
    std::thread::id m_callingThread; // the thread making it
    VDL_WatermarkStatusBlock m_status = {0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, {}, 0, 0};
};
