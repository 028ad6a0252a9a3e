#include "driver/MetadataSampleFeed.h"
#include "driver/MetadataStripPainter.h"
#include "driver/MetadataStripScale.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// One sample a second from t0: speed rising, input 1 set on even seconds, every fifth kind 1.
struct Track {
    static constexpr qint64 t0 = 1'700'000'000;
    std::vector<MetadataSample> samples;
    std::vector<qint64> times;
    explicit Track(int count)
    {
        for (int i = 0; i < count; ++i) {
            MetadataSample s;
            s.kind = i % 5 == 4 ? 1 : 2;
            s.speedMph = 10.0 + i;
            s.inputMask = i % 2 == 0 ? 1u : 0u;
            samples.push_back(s);
            times.push_back(t0 + i);
        }
    }
};

} // namespace

TEST(MetadataStripScale, OneMappingBothWaysAndNoneForAnEmptyStripOrWindow)
{
    const MetadataStripScale scale(1000, 1100, 200);
    EXPECT_EQ(scale.TimeAt(0), 1000);
    EXPECT_EQ(scale.TimeAt(199), 1099);  // truncated, not rounded
    EXPECT_EQ(scale.TimeAt(200), 1100);
    EXPECT_DOUBLE_EQ(*scale.XAt(1050), 100.0);
    EXPECT_EQ(scale.TimeAt(*scale.XAt(1037)), 1037);
    EXPECT_FALSE(MetadataStripScale(1000, 1100, 0).TimeAt(5));
    EXPECT_FALSE(MetadataStripScale(1100, 1100, 200).TimeAt(5));
    EXPECT_FALSE(MetadataStripScale(1100, 1000, 200).XAt(1050));
}

TEST(MetadataSampleFeed, OneNoticeEachInOrderAndOnlyTheLastAfterAJump)
{
    const Track track(100);
    MetadataSampleFeed feed(track.samples, track.times);
    // The first position is a jump from nowhere: the sample at or before it only.
    auto passed = feed.Advance(Track::t0 + 2);
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(passed[0], &track.samples[2]);
    passed = feed.Advance(Track::t0 + 5);
    ASSERT_EQ(passed.size(), 3u);
    EXPECT_EQ(passed[0], &track.samples[3]);
    EXPECT_EQ(passed[2], &track.samples[5]);
    EXPECT_TRUE(feed.Advance(Track::t0 + 5).empty());  // paused: nothing again
    passed = feed.Advance(Track::t0 + 15);              // 10 s: still played through
    EXPECT_EQ(passed.size(), 10u);
    passed = feed.Advance(Track::t0 + 45);              // a seek forward
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(passed[0], &track.samples[45]);
    passed = feed.Advance(Track::t0 + 44);              // back one step
    ASSERT_EQ(passed.size(), 1u);
    EXPECT_EQ(passed[0], &track.samples[44]);
    EXPECT_TRUE(feed.Advance(Track::t0 - 30).empty()); // before the track
    feed.Reset();
    EXPECT_EQ(feed.Advance(Track::t0 + 99).size(), 1u);
}

TEST(MetadataStripPainter, LinesBandsAndCursorInTheirColoursOnlyForTheSelection)
{
    const Track track(60);
    const MetadataStripPainter painter(track.samples, track.times);
    const MetadataConfigList selection = {
        {2, QStringLiteral("Speed"), true, 0xFFFFFF00},
        {501, QStringLiteral("Door"), true, 0xFFFF0000},
        {4, QStringLiteral("Brake Pressure"), false, 0xFF0000FF},
    };
    QImage strip(600, 40, QImage::Format_RGB32);
    painter.PaintStrip(strip, selection, Track::t0, Track::t0 + 60, Track::t0 + 30, 2, 0x00FF00);
    int yellow = 0, blue = 0;
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            yellow += strip.pixel(x, y) == qRgb(255, 255, 0);
            blue += strip.pixel(x, y) == qRgb(0, 0, 255);
        }
    }
    EXPECT_GT(yellow, 300);  // the speed line crosses the strip
    EXPECT_EQ(blue, 0);      // brake pressure is not selected
    // The door band: set on even seconds (x 0-10, 20-30, ...), clear on odd ones.
    const int bandY = strip.height() - 3;
    EXPECT_EQ(strip.pixel(5, bandY), qRgb(255, 0, 0));
    EXPECT_NE(strip.pixel(15, bandY), qRgb(255, 0, 0));
    // The cursor: lime at the position's x, the whole height.
    EXPECT_EQ(strip.pixel(300, 0), qRgb(0, 255, 0));
    EXPECT_EQ(strip.pixel(300, 39), qRgb(0, 255, 0));
    // An empty window leaves the strip black.
    painter.PaintStrip(strip, selection, Track::t0, Track::t0, Track::t0, 2, 0x00FF00);
    EXPECT_EQ(strip.pixel(300, 20), qRgb(0, 0, 0));
}

TEST(MetadataStripPainter, TooltipWithinOneSecondOfAVehicleSampleOnly)
{
    const Track track(10);
    const MetadataStripPainter painter(track.samples, track.times);
    const MetadataConfigList selection = {{2, QStringLiteral("Speed"), true, 0xFFFFFF00}};
    QImage tooltip(3, 3, QImage::Format_RGB32);
    EXPECT_TRUE(painter.PaintTooltip(tooltip, selection, Track::t0 + 2));
    EXPECT_GT(tooltip.width(), 20);
    const QImage shown = tooltip;
    EXPECT_FALSE(painter.PaintTooltip(tooltip, selection, Track::t0 + 30));
    EXPECT_EQ(tooltip, shown);  // untouched
    EXPECT_FALSE(painter.PaintTooltip(tooltip, {{5, QStringLiteral("Fuel"), true, 0xFF000000}}, Track::t0 + 2));
    EXPECT_EQ(MetadataStripPainter::Value(track.samples[3], 2), 13.0);
    EXPECT_EQ(MetadataStripPainter::Value(track.samples[2], 501), 1.0);
    EXPECT_FALSE(MetadataStripPainter::Value(track.samples[2], 8));
}
