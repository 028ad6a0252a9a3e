#pragma once

#include "vdl/vdl.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

// A tile's render window as the decoding library sees it: the VDL_Surface that goes into
// Video::renderWindow. On the port's thread each picture is copied once into a spare buffer
// (outside the lock), which then takes the place of the newest frame under one short lock; the
// first picture after the GUI last took one calls wake, so the tile schedules one repaint however
// many frames arrive before it paints. On the GUI thread TakeNewest swaps the newest frame in as
// the frame shown: three buffers go round, none is allocated while the size stays.
//
// Threads: present runs on the port's thread (one call at a time); wake must only post. Every
// other call is the GUI thread's. Drop makes later pictures go unseen; the owner detaches the
// surface (SetRenderSurface with null) before destroying it.
class TileSurface {
public:
    struct Frame {
        QImage image;            // RGB32, the pixels of view scaled to the image's size
        int64_t frameIndex = -1;
        int64_t playedMillis = 0;
        int64_t wallClockMillis = 0;
        double frameRate = 0.0;
        QSize source;            // the frame's own size
        QRect view;              // the rectangle of the frame the image shows
        int64_t arrivedNanos = 0; // steady clock, when present copied it
    };

    // What the newest picture says of the stream (the status tooltip).
    struct Facts {
        bool any = false;
        double frameRate = 0.0;
        QSize source;
    };

    explicit TileSurface(std::function<void()> wake);
    TileSurface(const TileSurface&) = delete;
    TileSurface& operator=(const TileSurface&) = delete;

    VDL_Surface* Handle() { return &handle_; }

    // Makes the newest frame the one shown; false when none arrived since the last call.
    bool TakeNewest();
    const Frame& Shown() const { return shown_; }
    // Lets the next picture wake the owner again (the owner's repaint is scheduled).
    void Rearm() { wakePending_.store(false); }

    Facts NewestFacts() const;
    int64_t PresentedCount() const { return presented_.load(); }
    // From now on pictures are dropped unseen, and wake is not called again once this returns.
    void Drop();
    bool IsDropped() const { return dropped_.load(); }

    static int64_t NowNanos();

private:
    static void OnPresent(void* user, const VDL_Picture* picture);
    void Present(const VDL_Picture& picture);

    VDL_Surface handle_;
    std::function<void()> wake_;
    // Port thread only.
    Frame writing_;
    // Guards pending_, hasPending_ and facts_.
    mutable std::mutex mutex_;
    Frame pending_;
    bool hasPending_ = false;
    Facts facts_;
    // GUI thread only.
    Frame shown_;
    std::atomic<bool> wakePending_{false};
    // Held around wake and by Drop, so that no wake runs after Drop returned.
    std::mutex wakeMutex_;
    std::atomic<bool> dropped_{false};
    std::atomic<int64_t> presented_{0};
};
