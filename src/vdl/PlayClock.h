#pragma once

#include <chrono>
#include <cstdint>

// Where a port's "now" comes from (VDL_SetTimeSource): the steady clock, or a count of
// microseconds a test steps by hand. Copied by value; no function: the steady clock.
struct TimeSource {
    int64_t (*nowMicros)(void* user) = nullptr;
    void* user = nullptr;
};

// A port's presentation clock: position(now) = anchor + (now - anchor time) x rate, in played
// milliseconds, held between 0 and the last frame. Rate 0 is paused; negative plays backward.
// Not thread-safe: the port's mutex guards it; copies go to the port's threads.
class PlayClock {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    explicit PlayClock(TimeSource source = {});

    // Now on this clock's time source.
    TimePoint Now() const;
    const TimeSource& Source() const { return m_source; }
    // The steady-clock instant a thread waiting until `when` (on this clock) wakes at: `when`
    // itself, or, for a source stepped by hand, within a few milliseconds, so that a step is
    // seen soon whenever it comes.
    TimePoint RealDeadline(TimePoint when) const;

    double Position(TimePoint now) const;
    double Rate() const { return m_rate; }
    void SetRate(double rate, TimePoint now);
    void SetPosition(double ms, TimePoint now);
    void SetLimit(double lastMs, TimePoint now);
    double Limit() const { return m_limit; }
    // When the position reaches ms (now when already there, far away when it never will).
    TimePoint WhenReaches(double ms, TimePoint now) const;

private:
    double Clamp(double ms) const;

    TimeSource m_source;
    double m_anchorMs = 0.0;
    TimePoint m_anchorTime;
    double m_rate = 0.0;
    double m_limit = 1e15;
};
