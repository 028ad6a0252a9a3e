#include "timeline/TimelineScale.h"

#include "timeline/TimelineLocalTime.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kSixHours = 21600;
constexpr qint64 kThreeDays = 259200;
constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 86400;
// Far enough outside any surface to stand for "off the edge", small enough for an int.
constexpr double kPixelLimit = 1.0e6;

} // namespace

TimelineScale::TimelineScale(qint64 now)
    : viewStart_(now - kDefaultSpan), viewEnd_(now), cursor_(now - kDefaultSpan + kDefaultSpan / 2),
      cursorMs_(cursor_ * 1000)
{
}

qint64 TimelineScale::ClampSpan(qint64 span)
{
    if (span == 0) {
        return kDefaultSpan;
    }
    return std::clamp(span, kMinSpan, kMaxSpan);
}

void TimelineScale::Recompute()
{
    pixelsPerSecond_ = span_ > 0 && width_ > 0 ? static_cast<double>(width_) / static_cast<double>(span_) : 0.0;
}

void TimelineScale::SetSurfaceWidth(int width)
{
    width_ = std::max(0, width);
    Recompute();
    if (width_ > 0 && pendingEnd_ != 0) {
        const qint64 span = pendingSpan_;
        const qint64 end = pendingEnd_;
        pendingSpan_ = pendingEnd_ = 0;
        SetViewRange(span, end);
    }
}

void TimelineScale::SetTimeRange(qint64 start, qint64 end)
{
    hasData_ = true;
    dataStart_ = start;
    dataEnd_ = end;
    cursor_ = start;
    cursorMs_ = start * 1000;
    if (end + kMargin < start - kMargin) {
        return;
    }
    SetViewRange(end - start + 2 * kMargin, end + kMargin);
}

void TimelineScale::Clear()
{
    hasData_ = false;
    dataStart_ = dataEnd_ = 0;
}

bool TimelineScale::SetViewRange(qint64 span, qint64 viewEnd)
{
    if (viewEnd == 0) {
        return false;
    }
    if (width_ == 0) {
        // Kept for the first resize rather than dropped.
        pendingSpan_ = span;
        pendingEnd_ = viewEnd;
        return false;
    }
    const qint64 clamped = ClampSpan(span);
    if (viewEnd == viewEnd_ && clamped == span_) {
        Recompute();
        return false;
    }
    span_ = clamped;
    viewEnd_ = viewEnd;
    viewStart_ = viewEnd - clamped;
    Recompute();
    return true;
}

bool TimelineScale::CenterOn(qint64 time, qint64 span, bool setCursor)
{
    const qint64 s = span == 0 ? span_ : ClampSpan(span);
    const bool moved = SetViewRange(s, time + s / 2);
    if (setCursor) {
        cursor_ = time;
        cursorMs_ = time * 1000;
    }
    return moved;
}

bool TimelineScale::Zoom(int kind, qint64 now)
{
    if (kind == 2) {
        return CenterOn(cursor_, 0, true);
    }
    if ((kind != 0 && kind != 1) || cursor_ == 0) {
        return false;
    }
    const qint64 middle = viewStart_ == 0 ? now - kDefaultSpan / 2 : viewStart_ + span_ / 2;
    const qint64 wanted = kind == 0 ? span_ / 4 : span_ * 4;
    const qint64 span = ClampSpan(wanted == 0 ? kMinSpan : wanted);
    return SetViewRange(span, middle + span / 2);
}

bool TimelineScale::Pan(int x0, int x1)
{
    if (pixelsPerSecond_ <= 0.0) {
        return false;
    }
    const double seconds = (x0 - x1) / pixelsPerSecond_ + panCarry_;
    const double whole = std::trunc(seconds);
    panCarry_ = seconds - whole;
    if (whole == 0.0) {
        return false;
    }
    return SetViewRange(span_, viewEnd_ + static_cast<qint64>(whole));
}

qint64 TimelineScale::TickStep(qint64 span)
{
    const qint64 c = span / 10;
    if (span < kSixHours) {
        return c < 60 ? 60 : c / 60 * 60;
    }
    if (span < kThreeDays) {
        return c < kHour ? kHour : c / kHour * kHour;
    }
    return c < kDay ? kDay : c / kDay * kDay;
}

bool TimelineScale::ScrollStep(int direction)
{
    if (viewEnd_ == 0) {
        return false;
    }
    const qint64 step = TickStep(span_) / 50;
    return SetViewRange(span_, viewEnd_ + (direction == 1 ? step : -step));
}

bool TimelineScale::SetCursorTime(qint64 time)
{
    if (time == cursor_ && cursorMs_ == time * 1000) {
        return false;
    }
    cursor_ = time;
    cursorMs_ = time * 1000;
    return true;
}

bool TimelineScale::SetCursorTimeMs(qint64 millis)
{
    if (millis == cursorMs_) {
        return false;
    }
    cursorMs_ = millis;
    cursor_ = millis >= 0 ? millis / 1000 : -((-millis + 999) / 1000);
    return true;
}

double TimelineScale::CursorPixel() const
{
    if (pixelsPerSecond_ <= 0.0) {
        return 0.0;
    }
    return (static_cast<double>(cursorMs_ - viewStart_ * 1000) / 1000.0) * pixelsPerSecond_;
}

double TimelineScale::PixelOf(qint64 time) const
{
    if (pixelsPerSecond_ <= 0.0) {
        return 0.0;
    }
    return static_cast<double>(time - viewStart_) * pixelsPerSecond_;
}

int TimelineScale::ClippedPixel(qint64 time) const
{
    return static_cast<int>(std::floor(std::clamp(PixelOf(time), -kPixelLimit, kPixelLimit)));
}

qint64 TimelineScale::TimeAtPixel(double x) const
{
    if (pixelsPerSecond_ <= 0.0) {
        return viewStart_;
    }
    return viewStart_ + static_cast<qint64>(std::trunc(x / pixelsPerSecond_));
}

qint64 TimelineScale::TimeAtLeftEdge(int leftButtonWidth) const
{
    if (pixelsPerSecond_ <= 0.0) {
        return viewStart_;
    }
    return viewStart_ - static_cast<qint64>(std::trunc(leftButtonWidth / pixelsPerSecond_));
}

qint64 TimelineScale::TimeAtRightEdge(int rightButtonWidth) const
{
    if (pixelsPerSecond_ <= 0.0) {
        return viewStart_;
    }
    return viewStart_ + static_cast<qint64>(std::trunc((width_ + rightButtonWidth) / pixelsPerSecond_));
}

QString TimelineScale::TickLabel(qint64 time) const
{
    if (span_ < kSixHours) {
        return TimelineLocalTime::MinuteLabel(time);
    }
    if (span_ < kThreeDays) {
        return TimelineLocalTime::HourLabel(time);
    }
    return TimelineLocalTime::DayLabel(time);
}

std::vector<TimelineScale::Tick> TimelineScale::Ticks() const
{
    std::vector<Tick> ticks;
    if (!Drawable() || pixelsPerSecond_ <= 0.0) {
        return ticks;
    }
    const qint64 step = TickStep(span_);
    if (span_ >= kThreeDays) {
        // Days on local midnights, counted back in calendar days (a day across a clock change
        // is 23 or 25 hours).
        const int days = static_cast<int>(step / kDay);
        qint64 t = TimelineLocalTime::MidnightAtOrBefore(viewEnd_);
        for (;;) {
            ticks.push_back({t, PixelOf(t), TickLabel(t)});
            if (t <= viewStart_) {
                break;
            }
            t = TimelineLocalTime::MidnightDaysBefore(t, days);
        }
        return ticks;
    }
    qint64 t = TimelineLocalTime::HourAtOrBefore(viewEnd_);
    if (span_ < kSixHours) {
        t += kHour;
    }
    for (;;) {
        ticks.push_back({t, PixelOf(t), TickLabel(t)});
        if (t <= viewStart_) {
            break;
        }
        t -= step;
    }
    return ticks;
}

QRect TimelineScale::CursorPicture() const
{
    const int x = static_cast<int>(std::floor(std::clamp(CursorPixel(), -kPixelLimit, kPixelLimit)));
    return QRect(x - kCursorHalfWidth, 0, 2 * kCursorHalfWidth, 10);
}

QRect TimelineScale::CursorHandle(int height) const
{
    if (cursor_ == 0 || CursorPixel() <= 0.0) {
        return {};
    }
    const int x = static_cast<int>(std::floor(std::clamp(CursorPixel(), -kPixelLimit, kPixelLimit)));
    return QRect(QPoint(x - kCursorHalfWidth, 0), QPoint(x + kCursorHalfWidth, height / 4));
}

bool TimelineScale::BookmarkUnder(qint64 bookmarkTime, double x) const
{
    if (TimeAtPixel(x) == bookmarkTime) {
        return true;
    }
    if (pixelsPerSecond_ <= 0.0 || pixelsPerSecond_ >= 1.0) {
        return false;
    }
    const double mark = std::floor(PixelOf(bookmarkTime));
    return x >= mark && x < mark + kMarkWidth;
}

qint64 TimelineScale::ClampToViewAndData(qint64 time) const
{
    qint64 t = std::clamp(time, viewStart_, std::max(viewStart_, viewEnd_));
    if (hasData_ && dataEnd_ >= dataStart_) {
        t = std::clamp(t, dataStart_, dataEnd_);
    }
    return t;
}
