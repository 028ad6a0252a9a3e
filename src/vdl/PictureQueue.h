#pragma once

#include "DecodedFrame.h"
#include "PlayClock.h"
#include "vdl/vdl.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Pictures a port has decoded and converted ahead of their time, and the thread that hands each
// to the surface when the port's clock reaches it. The port's thread fills the queue while its
// clock runs forward; a late time slice of decoding then costs nothing as long as pictures wait.
// The pictures live in a small pool that is allocated again only when the size shown changes.
//
// Threads: Acquire, Release, Push and Drain come from the port's thread only; SetClock and
// Waiting from any thread. The callbacks run on the queue's thread with no lock of the queue
// held: presented right after the surface returned, room after a picture left the queue.
class PictureQueue {
public:
    static constexpr int kAhead = 4; // pictures waiting at most

    struct Picture {
        std::vector<uint8_t> pixels; // RGB32, info.stride bytes a row
        VDL_Picture info = {};       // all but pixels, which the queue fills in when presenting
        VDL_Surface surface = {};
        DecodedFrame frame;          // as decoded: the snapshot's source, given back by Drain
    };
    // A picture was handed to its surface lateMillis after it was due; dropped pictures before
    // it were overtaken without being shown.
    using Presented = std::function<void(const Picture& picture, double lateMillis, int64_t dropped)>;

    PictureQueue(Presented presented, std::function<void()> room);
    ~PictureQueue();
    PictureQueue(const PictureQueue&) = delete;
    PictureQueue& operator=(const PictureQueue&) = delete;

    // A free picture of the pool, or null when kAhead are waiting already.
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
