#include "PlayClock.h"

#include <algorithm>

namespace {

// How often a wait on a stepped source looks at it again.
constexpr auto kSteppedPoll = std::chrono::milliseconds(2);

} // namespace

PlayClock::PlayClock(TimeSource source) : m_source(source), m_anchorTime(Now()) {}

PlayClock::TimePoint PlayClock::Now() const
{
    if (!m_source.nowMicros)
        return Clock::now();
    return TimePoint(std::chrono::microseconds(m_source.nowMicros(m_source.user)));
}

PlayClock::TimePoint PlayClock::RealDeadline(TimePoint when) const
{
    if (!m_source.nowMicros)
        return when;
    const auto left = when - Now();
    return Clock::now() + std::min<Clock::duration>(std::max<Clock::duration>(left, Clock::duration::zero()), kSteppedPoll);
}

double PlayClock::Clamp(double ms) const { return std::clamp(ms, 0.0, std::max(0.0, m_limit)); }

double PlayClock::Position(TimePoint now) const
{
    const double elapsed = std::chrono::duration<double, std::milli>(now - m_anchorTime).count();
    return Clamp(m_anchorMs + elapsed * m_rate);
}

void PlayClock::SetRate(double rate, TimePoint now)
{
    m_anchorMs = Position(now);
    m_anchorTime = now;
    m_rate = rate;
}

void PlayClock::SetPosition(double ms, TimePoint now)
{
    m_anchorMs = Clamp(ms);
    m_anchorTime = now;
}

void PlayClock::SetLimit(double lastMs, TimePoint now)
{
    m_anchorMs = Position(now);
    m_anchorTime = now;
    m_limit = lastMs;
    m_anchorMs = Clamp(m_anchorMs);
}

PlayClock::TimePoint PlayClock::WhenReaches(double ms, TimePoint now) const
{
    if (m_rate == 0.0)
        return now + std::chrono::hours(1);
    const double waitMs = (ms - Position(now)) / m_rate;
    if (waitMs <= 0.0)
        return now;
    if (waitMs > 3.6e6)
        return now + std::chrono::hours(1);
    return now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(waitMs));
}
