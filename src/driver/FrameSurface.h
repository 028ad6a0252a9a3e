#pragma once

#include "vdl/vdl.h"

#include <QImage>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A render surface without a window (the command-line tool's and the tests'): keeps a copy of
// the last frame the library presented. Handle() is what goes into Video::renderWindow or
// VDL_SetSurface; the library calls it on its own thread, where it only copies under the lock;
// readers on any other thread take copies. Detach it (or release the port) before it is destroyed.
class FrameSurface final {
public:
    FrameSurface();
    ~FrameSurface();
    FrameSurface(const FrameSurface&) = delete;
    FrameSurface& operator=(const FrameSurface&) = delete;

    VDL_Surface* Handle() { return &handle_; }
    void Present(const VDL_Picture& picture);

    QImage LastImage() const;
    int64_t LastFrameIndex() const;
    int64_t LastWallClockMillis() const;
    int64_t PresentedCount() const;
    // Waits until at least count frames were presented in all; false on timeout.
    bool WaitForPresented(int64_t count, int timeoutMillis) const;

private:
    static void OnPresent(void* user, const VDL_Picture* picture);

    VDL_Surface handle_;
    // Guards the copy of the last frame and its counters.
    mutable std::mutex mutex_;
    mutable std::condition_variable presented_;
    QImage image_;
    int64_t frameIndex_ = -1;
    int64_t wallClockMillis_ = 0;
    int64_t count_ = 0;
};
