#pragma once

#include "DecodedFrame.h"
#include "PlayClock.h"
#include "SurfaceView.h"
#include "vdl/vdl.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FrameConverter;

// Frames a port has decoded ahead of their time, and the thread that converts each to the view
// shown and hands it to the surface when the port's clock reaches it. The port's thread fills
// the queue while its clock runs forward; a late time slice of decoding then costs nothing as
// long as frames wait. A frame waits as decoded (a reference into the decoder's own pool) and is
// converted only when it is shown: a frame overtaken or taken back is never converted, the
// pictures waiting cost no memory of their own, and the surface copies a picture just written.
//
// Threads: Acquire, Release, Push and Drain come from the port's thread only; SetClock, SetOrigin
// and Waiting from any thread. The callbacks run on the queue's thread with no lock of the queue
// held: presented right before the surface is called, room after a picture left the queue and
// no more than kLowWater wait.
// The converter is shared with the port's thread, which uses it only while nothing waits (after
// Drain, before the next Push): the queue's thread converts only frames that wait.
class PictureQueue {
public:
    static constexpr int kAhead = 3;    // frames waiting at most
    static constexpr int kLowWater = 1; // room is signalled once no more than this many wait

    struct Picture {
        DecodedFrame frame;    // as decoded: converted when shown, the snapshot's source, given back by Drain
        SurfaceView view;      // the part of the frame shown and its size
        VDL_Picture info = {}; // the frame's own fields; pixels, size and view are set when presenting
        VDL_Surface surface = {};
    };
    // A picture is about to be handed to its surface lateMillis after it was due; dropped frames
    // before it were overtaken without being converted.
    using Presented = std::function<void(const Picture& picture, double lateMillis, int64_t dropped)>;

    PictureQueue(FrameConverter& converter, Presented presented, std::function<void()> room);
    ~PictureQueue();
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;

    // A free entry of the pool, or null when kAhead are waiting already.
    Picture* Acquire();
    void Release(Picture* picture);
    // Queues a filled picture behind those waiting (in played order).
    void Push(Picture* picture);

    struct Drained {
        std::vector<DecodedFrame> waiting; // never shown, in played order
        DecodedFrame shown;                // the last picture the queue presented, if any since
    };
    // Takes every waiting picture back and returns once no surface call of the queue is in
    // progress; the queue presents nothing until pictures are pushed again.
    Drained Drain();

    // The clock pictures are presented by: they wait while it is paused or runs backward.
    void SetClock(const PlayClock& clock);
    // The wall clock of played time 0: each picture's wall-clock time is set when it is presented,
    // so a new origin holds from the next picture on.
    void SetOrigin(int64_t utcMillis);
    size_t Waiting() const;

private:
    void Run();

    FrameConverter& m_converter;
    const Presented m_presented;
    const std::function<void()> m_room;

    mutable std::mutex m_mutex; // guards everything below
    std::condition_variable m_wake;  // the queue's thread: pictures, clock, quit
    std::condition_variable m_idle;  // Drain: the call in progress returned
    std::vector<std::unique_ptr<Picture>> m_pool;
    std::vector<Picture*> m_free;
    std::deque<Picture*> m_waiting;
    Picture* m_inFlight = nullptr;
    DecodedFrame m_shown;
    PlayClock m_clock;
    int64_t m_originMillis = 0;
    bool m_quit = false;
    std::thread m_thread;
};
