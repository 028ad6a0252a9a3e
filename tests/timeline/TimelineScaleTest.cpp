// The time scale's arithmetic without a window: the view rules of the Part, ticks and labels in
// local time (New York and Berlin across their clock changes), go-to targets in gaps and
// repeated hours, and a surface of zero width.
#include "timeline/TimelineLocalTime.h"
#include "timeline/TimelineScale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class Zone {
public:
    explicit Zone(const char* tz)
    {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) {
            old_ = old;
        }
        setenv("TZ", tz, 1);
        tzset();
    }
    ~Zone()
    {
        if (had_) {
            setenv("TZ", old_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

using Fields = TimelineLocalTime::Fields;

qint64 Local(int y, int mo, int d, int h, int mi, int s)
{
    return TimelineLocalTime::InstantOf(Fields{y, mo, d, h, mi, s});
}

TimelineScale Scale(int width, qint64 span, qint64 end)
{
    TimelineScale s(end);
    s.SetSurfaceWidth(width);
    s.SetTimeRange(end - span, end);
    s.SetViewRange(span, end);
    return s;
}

} // namespace

TEST(TimelineScaleTest, RangesKeepTheirMarginsAndLimits)
{
    Zone zone("UTC");
    TimelineScale s(1'700'000'000);
    s.SetSurfaceWidth(1000);
    // Shorter than a minute: [start - 60, end + 60].
    s.SetTimeRange(1'700'000'000, 1'700'000'030);
    EXPECT_EQ(s.ViewStart(), 1'700'000'000 - 60);
    EXPECT_EQ(s.ViewEnd(), 1'700'000'030 + 60);
    EXPECT_EQ(s.CursorTime(), 1'700'000'000);
    // Longer than 365 days: a 365-day view ending a minute after the end.
    s.SetTimeRange(1'600'000'000, 1'600'000'000 + 400LL * 86400);
    EXPECT_EQ(s.VisibleSpan(), TimelineScale::kMaxSpan);
    EXPECT_EQ(s.ViewEnd(), 1'600'000'000 + 400LL * 86400 + 60);
    // An end before the start leaves the view alone.
    const qint64 before = s.ViewEnd();
    s.SetTimeRange(1'000, 0);
    EXPECT_EQ(s.ViewEnd(), before);

    // Zoom in from 4 minutes stops at 60 s, out from 200 days at 365 days; the middle stays.
    const qint64 middle = 1'700'000'000;
    s.SetViewRange(240, middle + 120);
    s.SetCursorTime(middle);
    s.Zoom(0, middle);
    EXPECT_EQ(s.VisibleSpan(), 60);
    EXPECT_EQ(s.ViewStart() + s.VisibleSpan() / 2, middle);
    s.Zoom(0, middle);
    EXPECT_EQ(s.VisibleSpan(), 60);
    s.SetViewRange(200LL * 86400, middle + 100LL * 86400);
    s.Zoom(1, middle);
    EXPECT_EQ(s.VisibleSpan(), TimelineScale::kMaxSpan);
    EXPECT_EQ(s.ViewStart() + s.VisibleSpan() / 2, middle);
    // Centre on the cursor keeps the span.
    s.SetCursorTime(middle - 5000);
    s.Zoom(2, middle);
    EXPECT_EQ(s.ViewStart() + s.VisibleSpan() / 2, middle - 5000);
    // Zoom does nothing while the cursor time is 0.
    s.SetCursorTime(0);
    const qint64 span = s.VisibleSpan();
    EXPECT_FALSE(s.Zoom(0, middle));
    EXPECT_EQ(s.VisibleSpan(), span);
    EXPECT_EQ(TimelineScale::ClampSpan(0), 28800);
}

TEST(TimelineScaleTest, TicksAndLabelsFollowTheSpan)
{
    Zone zone("America/New_York");
    struct Row {
        qint64 span;
        qint64 step;
        qint64 end;
        const char* someLabel;
    } rows[] = {
        {5 * 3600, 1800, Local(2016, 6, 15, 15, 10, 0), "2:30 PM"},
        {5 * 3600, 1800, Local(2016, 6, 15, 14, 10, 0), "12:00 PM"},
        {5 * 3600, 1800, Local(2016, 6, 15, 2, 10, 0), "0:30 AM"},
        {2 * 86400, 4 * 3600, Local(2016, 6, 16, 16, 30, 0), "4 PM"},
        {30 * 86400, 3 * 86400, Local(2016, 6, 30, 12, 0, 0), "6/15/2016"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.someLabel);
        const TimelineScale s = Scale(1920, r.span, r.end);
        EXPECT_EQ(TimelineScale::TickStep(r.span), r.step);
        const auto ticks = s.Ticks();
        ASSERT_GE(ticks.size(), 2u);
        bool found = false;
        for (size_t i = 0; i < ticks.size(); ++i) {
            found |= ticks[i].label == QString::fromLatin1(r.someLabel);
            EXPECT_DOUBLE_EQ(ticks[i].x, s.PixelOf(ticks[i].time));
        }
        EXPECT_TRUE(found);
        // The first tick lies at or past the view end, the last at or before its start.
        EXPECT_GE(ticks.front().time, s.ViewEnd() - r.step);
        EXPECT_LE(ticks.back().time, s.ViewStart());
    }
}

TEST(TimelineScaleTest, DayTicksStayOnLocalMidnightsAcrossClockChanges)
{
    for (const char* tz : {"America/New_York", "Europe/Berlin"}) {
        Zone zone(tz);
        SCOPED_TRACE(tz);
        // 20 days around the spring and autumn changes of 2024, one tick a day... and 3 days.
        for (qint64 span : {7LL * 86400, 30LL * 86400}) {
            for (qint64 end : {Local(2024, 3, 20, 12, 0, 0), Local(2024, 11, 8, 12, 0, 0)}) {
                const TimelineScale s = Scale(1920, span, end);
                for (const auto& tick : s.Ticks()) {
                    const Fields f = TimelineLocalTime::FieldsOf(tick.time);
                    EXPECT_EQ(f.hour, 0) << tick.label.toStdString();
                    EXPECT_EQ(f.minute, 0);
                    EXPECT_EQ(tick.label, QString::asprintf("%d/%d/%d", f.month, f.day, f.year));
                }
            }
        }
        EXPECT_EQ(TimelineLocalTime::MidnightAtOrBefore(Local(2024, 3, 31, 23, 0, 0)), Local(2024, 3, 31, 0, 0, 0));
        EXPECT_EQ(TimelineLocalTime::MidnightDaysBefore(Local(2024, 4, 2, 0, 0, 0), 3), Local(2024, 3, 30, 0, 0, 0));
    }
}

TEST(TimelineScaleTest, GoToIsOneLocalTimeInGapsAndRepeatedHours)
{
    {
        Zone zone("America/New_York");
        // 03:30 on 2024-03-10 is 07:30 UTC (not an hour off); 02:30 does not exist and moves on by
        // the gap to 03:30.
        const qint64 start = 1710028800;  // 2024-03-10 00:00 UTC
        const qint64 end = start + 86400;
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 3, 10, 3, 30, 0}, start, end), 1710055800);
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 3, 10, 2, 30, 0}, start, end), 1710055800);
        EXPECT_TRUE(TimelineLocalTime::InstantsOf({2024, 3, 10, 2, 30, 0}).empty());
        // 01:30 on 2024-11-03 happens twice: 05:30 UTC (EDT), then 06:30 UTC (EST).
        const auto twice = TimelineLocalTime::InstantsOf({2024, 11, 3, 1, 30, 0});
        ASSERT_EQ(twice.size(), 2u);
        EXPECT_EQ(twice[0], 1730611800);
        EXPECT_EQ(twice[1], 1730615400);
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 11, 3, 1, 30, 0}, 1730600000, 1730700000), 1730611800);
        // Only the later one lies inside the recording.
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 11, 3, 1, 30, 0}, 1730613000, 1730700000), 1730615400);
    }
    {
        Zone zone("Europe/Berlin");
        const qint64 s = Local(2024, 3, 31, 0, 0, 0);
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 3, 31, 2, 30, 0}, s, s + 86400), Local(2024, 3, 31, 3, 30, 0));
        EXPECT_EQ(TimelineLocalTime::InstantsOf({2024, 10, 27, 2, 30, 0}).size(), 2u);
        // The start, the end and one second out.
        const qint64 start = Local(2024, 6, 1, 10, 0, 0);
        const qint64 end = Local(2024, 6, 1, 10, 2, 0);
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 6, 1, 10, 0, 0}, start, end), start);
        EXPECT_EQ(TimelineLocalTime::GoToTarget({2024, 6, 1, 10, 2, 0}, start, end), end);
        EXPECT_FALSE(TimelineLocalTime::GoToTarget({2024, 6, 1, 9, 59, 59}, start, end));
        EXPECT_FALSE(TimelineLocalTime::GoToTarget({2024, 6, 1, 10, 2, 1}, start, end));
        EXPECT_EQ(TimelineLocalTime::LogText(start), "06/01/2024 10:00:00 AM");
        EXPECT_EQ(TimelineLocalTime::TooltipText(Local(2024, 6, 1, 0, 5, 9)), "6/1/2024 0:05:09 AM");
        EXPECT_EQ(TimelineLocalTime::TooltipText(Local(2024, 6, 1, 12, 5, 9)), "6/1/2024 12:05:09 PM");
    }
}

TEST(TimelineScaleTest, ZeroWidthGivesTheViewStartAndKeepsTheRangeForTheFirstResize)
{
    Zone zone("UTC");
    TimelineScale s(1'700'000'000);
    s.SetTimeRange(1'700'000'000, 1'700'003'600);
    EXPECT_EQ(s.PixelsPerSecond(), 0.0);
    EXPECT_EQ(s.TimeAtPixel(500), s.ViewStart());
    EXPECT_EQ(s.TimeAtLeftEdge(20), s.ViewStart());
    EXPECT_EQ(s.TimeAtRightEdge(20), s.ViewStart());
    EXPECT_FALSE(s.Pan(0, 100));
    EXPECT_EQ(s.PixelOf(1'700'000'100), 0.0);
    EXPECT_TRUE(s.CursorHandle(40).isEmpty());
    s.SetSurfaceWidth(1000);
    EXPECT_EQ(s.ViewStart(), 1'700'000'000 - 60);
    EXPECT_EQ(s.ViewEnd(), 1'700'003'600 + 60);
    EXPECT_DOUBLE_EQ(s.PixelsPerSecond(), 1000.0 / 3720.0);
}

TEST(TimelineScaleTest, PointerArithmeticPanCarryAndBookmarkMarks)
{
    Zone zone("UTC");
    TimelineScale s = Scale(1280, 80, 1'700'000'000);
    EXPECT_DOUBLE_EQ(s.PixelsPerSecond(), 16.0);
    EXPECT_EQ(s.TimeAtPixel(39.9), s.ViewStart() + 2);
    EXPECT_EQ(s.TimeAtLeftEdge(20), s.ViewStart() - 1);
    EXPECT_EQ(s.TimeAtRightEdge(20), s.ViewStart() + 81);
    // A slow drag: 1 pixel at a time, 1/16 s each, still pans a second per 16 pixels.
    const qint64 end = s.ViewEnd();
    for (int i = 0; i < 32; ++i) {
        s.Pan(100, 101);
    }
    EXPECT_EQ(s.ViewEnd(), end - 2);
    // Dragging right moves the view to earlier times, left to later.
    s.Pan(100, 40);
    EXPECT_EQ(s.ViewEnd(), end + 1);

    // The handle: (x - 10, 0) to (x + 10, height / 4).
    s.SetCursorTime(s.ViewStart() + 30);
    EXPECT_EQ(s.CursorHandle(40), QRect(QPoint(470, 0), QPoint(490, 10)));
    s.SetCursorTimeMs((s.ViewStart() + 30) * 1000 + 500);
    EXPECT_DOUBLE_EQ(s.CursorPixel(), 488.0);

    // At the default 8 hours a pixel spans 24 s: the 3-pixel mark counts as the bookmark's
    // second; at one second a pixel the same second only.
    TimelineScale wide = Scale(1200, 28800, 1'700'000'000);
    const qint64 mark = wide.ViewStart() + 10000;
    const double x = std::floor(wide.PixelOf(mark));
    EXPECT_TRUE(wide.BookmarkUnder(mark, x + 2));
    EXPECT_FALSE(wide.BookmarkUnder(mark, x + 3));
    EXPECT_FALSE(wide.BookmarkUnder(mark, x - 1));
    EXPECT_TRUE(s.BookmarkUnder(s.ViewStart() + 10, 170));
    EXPECT_FALSE(s.BookmarkUnder(s.ViewStart() + 11, 170));

    // Clamp to the view and the data.
    EXPECT_EQ(s.ClampToViewAndData(s.ViewEnd() + 500), std::min(s.ViewEnd(), s.DataEnd()));
    EXPECT_EQ(s.ClampToViewAndData(0), std::max(s.ViewStart(), s.DataStart()));
    EXPECT_EQ(s.ClippedPixel(s.ViewStart() + 1'000'000'000LL), 1'000'000);
}
