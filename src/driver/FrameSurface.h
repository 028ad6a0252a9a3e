#pragma once

#include "vdl/vdl.h"

#include <QImage>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A render surface without a window: keeps a copy of the last frame the library presented.
// Present runs on the library's presentation thread and only copies under the lock; readers on
// any other thread take copies.
class FrameSurface final : public VDL_Surface {
public:
    FrameSurface();
    ~FrameSurface();

    void Present(const VDL_Picture& picture) override;

    QImage LastImage() const;
    int64_t LastFrameIndex() const;
    int64_t LastWallClockMillis() const;
    int64_t PresentedCount() const;
    // Waits until at least count frames were presented in all; false on timeout.
    bool WaitForPresented(int64_t count, int timeoutMillis) const;

private:
    // Guards the copy of the last frame and its counters.
    mutable std::mutex mutex_;
    mutable std::condition_variable presented_;
    QImage image_;
    int64_t frameIndex_ = -1;
    int64_t wallClockMillis_ = 0;
    int64_t count_ = 0;
};
