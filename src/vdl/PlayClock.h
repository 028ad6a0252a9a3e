#pragma once

#include <chrono>

// A port's presentation clock: position(now) = anchor + (now - anchor time) x rate, in played
// milliseconds, held between 0 and the last frame. Rate 0 is paused; negative plays backward.
// Not thread-safe: the port's mutex guards it.
class PlayClock {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

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

    double m_anchorMs = 0.0;
    TimePoint m_anchorTime = Clock::now();
    double m_rate = 0.0;
    double m_limit = 1e15;
};
