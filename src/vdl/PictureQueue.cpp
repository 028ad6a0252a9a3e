#include "PictureQueue.h"

#include "FrameConverter.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr double kEps = 0.001;

} // namespace

PictureQueue::PictureQueue(FrameConverter& converter, Presented presented, std::function<void()> room)
    : m_converter(converter), m_presented(std::move(presented)), m_room(std::move(room))
{
    // One entry more than may wait: the one being handed to the surface.
    for (int i = 0; i < kAhead + 1; ++i) {
        m_pool.push_back(std::make_unique<Picture>());
        m_free.push_back(m_pool.back().get());
    }
    m_thread = std::thread(&PictureQueue::Run, this);
}

PictureQueue::~PictureQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

PictureQueue::Picture* PictureQueue::Acquire()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_waiting.size() >= static_cast<size_t>(kAhead) || m_free.empty())
        return nullptr;
    Picture* p = m_free.back();
    m_free.pop_back();
    return p;
}

void PictureQueue::Release(Picture* picture)
{
    picture->frame = DecodedFrame();
    std::lock_guard<std::mutex> lock(m_mutex);
    assert(std::find(m_free.begin(), m_free.end(), picture) == m_free.end());
    m_free.push_back(picture);
}

void PictureQueue::Push(Picture* picture)
{
    bool first;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        assert(std::find(m_waiting.begin(), m_waiting.end(), picture) == m_waiting.end());
        assert(std::find(m_free.begin(), m_free.end(), picture) == m_free.end());
        first = m_waiting.empty();
        m_waiting.push_back(picture);
    }
    // Behind others it changes nothing the queue's thread waits for (the first one's time).
    if (first)
        m_wake.notify_all();
}

PictureQueue::Drained PictureQueue::Drain()
{
    Drained drained;
    std::vector<Picture*> taken;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [&] { return m_inFlight == nullptr; });
        taken.assign(m_waiting.begin(), m_waiting.end());
        m_waiting.clear();
        drained.shown = std::move(m_shown);
        m_shown = DecodedFrame();
    }
    for (Picture* p : taken) {
        drained.waiting.push_back(std::move(p->frame));
        Release(p);
    }
    return drained;
}

void PictureQueue::SetClock(const PlayClock& clock)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_clock = clock;
    }
    m_wake.notify_all();
}

void PictureQueue::SetOrigin(int64_t utcMillis)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_originMillis = utcMillis;
}

size_t PictureQueue::Waiting() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.size();
}

void PictureQueue::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (m_waiting.empty() || m_clock.Rate() <= 0.0) {
            m_wake.wait(lock);
            continue;
        }
        const PlayClock::TimePoint now = m_clock.Now();
        const double position = m_clock.Position(now);
        size_t due = 0;
        while (due < m_waiting.size() && m_waiting[due]->frame.ms <= position + kEps)
            ++due;
        if (due == 0) {
            m_wake.wait_until(lock, m_clock.RealDeadline(m_clock.WhenReaches(m_waiting.front()->frame.ms, now)));
            continue;
        }
        // The newest picture that is due; those before it were overtaken while they waited.
        int64_t dropped = 0;
        for (; due > 1; --due, ++dropped) {
            Picture* overtaken = m_waiting.front();
            m_waiting.pop_front();
            overtaken->frame = DecodedFrame();
            assert(std::find(m_free.begin(), m_free.end(), overtaken) == m_free.end());
            m_free.push_back(overtaken);
        }
        Picture* p = m_waiting.front();
        m_waiting.pop_front();
        m_inFlight = p;
        const PlayClock clock = m_clock;
        p->info.wallClockMillis = m_originMillis + p->info.playedMillis;
        lock.unlock();
        const bool converted = m_converter.Convert(p->frame.picture.get(), p->view);
        if (converted) {
            m_converter.Describe(&p->info);
            // Late counts up to the surface's call, the conversion included.
            const double lateMillis = (clock.Position(clock.Now()) - p->frame.ms) / clock.Rate();
            // Published first: once a surface has a picture, the port reports it as on screen.
            m_presented(*p, lateMillis, dropped);
            p->surface.present(p->surface.user, &p->info);
        }
        lock.lock();
        if (converted)
            m_shown = std::move(p->frame);
        p->frame = DecodedFrame();
        assert(std::find(m_free.begin(), m_free.end(), p) == m_free.end());
        m_free.push_back(p);
        m_inFlight = nullptr;
        m_idle.notify_all();
        // The port refills at low water, a few pictures a wake, rather than one per picture.
        if (m_waiting.size() <= static_cast<size_t>(kLowWater)) {
            lock.unlock();
            m_room();
            lock.lock();
        }
    }
}
