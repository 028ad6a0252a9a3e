// The playback rules without a window: which cameras a command reaches, the speed limit, the
// loop margins and wraps, and the times the library reports.
#include "TileTestSupport.h"

#include "evidence/EvidenceTime.h"
#include "viewer/ViewerPlaybackRules.h"

#include <gtest/gtest.h>

using Rules = ViewerPlaybackRules;

TEST(ViewerPlaybackRules, TargetsAreAllNonDewarpCamerasWithSyncAllElseTheSelectedOrItsFisheye)
{
    Device device;
    auto a = TileTest::MakeVideo(&device);
    auto fisheye = TileTest::MakeVideo(&device);
    auto view = TileTest::MakeVideo(&device);
    fisheye->rootCamera = fisheye.get();
    view->rootCamera = fisheye.get();
    view->dewarpView = 1;
    const VideoList pages{a.get(), fisheye.get(), view.get()};

    EXPECT_EQ(Rules::TargetCameras(true, pages, nullptr), (VideoList{a.get(), fisheye.get()}));
    EXPECT_EQ(Rules::TargetCameras(true, pages, view.get()), (VideoList{a.get(), fisheye.get()}));
    EXPECT_EQ(Rules::TargetCameras(false, pages, a.get()), VideoList{a.get()});
    EXPECT_EQ(Rules::TargetCameras(false, pages, view.get()), VideoList{fisheye.get()});
    EXPECT_TRUE(Rules::TargetCameras(false, pages, nullptr).empty());
    // A view whose fisheye camera has no tile reaches nothing.
    EXPECT_TRUE(Rules::TargetCameras(false, VideoList{a.get(), view.get()}, view.get()).empty());

    EXPECT_EQ(Rules::RootOf(view.get()), fisheye.get());
    EXPECT_EQ(Rules::RootOf(a.get()), a.get());
    EXPECT_EQ(Rules::RootOf(nullptr), nullptr);
}

TEST(ViewerPlaybackRules, ASpeedPressPastTheDeviceLimitReturnsToNormal)
{
    EXPECT_FALSE(Rules::ReturnsToNormalSpeed(3, 8));
    EXPECT_TRUE(Rules::ReturnsToNormalSpeed(4, 8));
    EXPECT_TRUE(Rules::ReturnsToNormalSpeed(3, 4));
    EXPECT_FALSE(Rules::ReturnsToNormalSpeed(-1, 8));
    EXPECT_TRUE(Rules::ReturnsToNormalSpeed(1000, 8));  // no overflow into a small power
}

TEST(ViewerPlaybackRules, LoopMarginsAndWrapsForEachStateAndStep)
{
    using S = PlaybackState;
    using W = Rules::Wrap;
    // Normal play wraps one second before the end, whatever step it keeps; past the table the
    // last entry holds.
    EXPECT_EQ(Rules::LoopMargin(S::Playing, 1), 1);
    EXPECT_EQ(Rules::LoopMargin(S::Playing, 4), 1);
    EXPECT_EQ(Rules::LoopMargin(S::FastForward, 2), 4);
    EXPECT_EQ(Rules::LoopMargin(S::FastForward, 3), 8);
    EXPECT_EQ(Rules::LoopMargin(S::FastForward, 5), 32);
    EXPECT_EQ(Rules::LoopMargin(S::FastForward, 9), 32);
    EXPECT_EQ(Rules::LoopMargin(S::Rewinding, -2), 1);

    const qint64 start = 1622873280;
    const qint64 end = start + 60;
    const struct {
        S state;
        int step;
        qint64 position;
        W wrap;
    } rows[] = {
        {S::Playing, 1, end - 2, W::None},     {S::Playing, 1, end - 1, W::ToStart},
        {S::Playing, 1, end + 5, W::ToStart},  {S::FastForward, 3, end - 9, W::None},
        {S::FastForward, 3, end - 8, W::ToStart}, {S::Rewinding, 2, start + 5, W::None},
        {S::Rewinding, 2, start + 4, W::ToEnd}, {S::Rewinding, 3, start - 3, W::ToEnd},
        {S::Paused, 1, end, W::None},          {S::SteppedForward, 1, end, W::None},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Rules::LoopWrap(r.state, r.step, r.position, start, end), r.wrap)
            << static_cast<int>(r.state) << " " << r.step << " " << r.position - start;
    }
    // Wraps land one second inside the recording, so that the next check does not wrap again.
    EXPECT_EQ(Rules::WrapTarget(W::ToStart, start, end), start + 1);
    EXPECT_EQ(Rules::WrapTarget(W::ToEnd, start, end), end - 1);
    // No span, no wrap.
    EXPECT_FALSE(Rules::HasSpan(start, 0));
    EXPECT_FALSE(Rules::HasSpan(0, end));
    EXPECT_FALSE(Rules::HasSpan(end, start));
    EXPECT_FALSE(Rules::HasSpan(start, start));
    EXPECT_EQ(Rules::LoopWrap(S::Playing, 1, end, start, 0), W::None);
}

TEST(ViewerPlaybackRules, UnreportedTimesFallBackToTheLastComputedPositionOrThePlayedTime)
{
    CalendarFields t{2021, 6, 5, 7, 8, 30, 500};
    ASSERT_TRUE(Rules::VideoTimeValue(t));
    EXPECT_EQ(*Rules::VideoTimeValue(t), EvidenceTime::FromLocalFields(t));
    for (auto [month, day] : {std::pair{0, 5}, {13, 5}, {6, 0}, {6, 32}}) {
        CalendarFields bad = t;
        bad.month = month;
        bad.day = day;
        EXPECT_FALSE(Rules::IsValidVideoTime(bad)) << month << "/" << day;
        EXPECT_FALSE(Rules::VideoTimeValue(bad));
    }
    const qint64 start = 1000;
    const qint64 end = 1060;
    EXPECT_EQ(Rules::FallbackPosition(1030, start, end, 7), 1030);
    EXPECT_EQ(Rules::FallbackPosition(end, start, end, 7), end);
    EXPECT_EQ(Rules::FallbackPosition(0, start, end, 7), 1007);
    EXPECT_EQ(Rules::FallbackPosition(end + 1, start, end, 0), start);
}

TEST(ViewerPlaybackRules, TransportKeysAskForNothingWithCtrlAltOrMetaOrWithUnknownKeys)
{
    using K = Rules::KeyCommand;
    EXPECT_EQ(Rules::TransportKey(Qt::Key_L, Qt::NoModifier, false, 3), K::FastForward);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_L, Qt::NoModifier, false, 2), K::Play);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_Right, Qt::KeypadModifier, false, 4), K::NextFrame);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_Space, Qt::ShiftModifier, false, 4), K::PlayPause);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_Right, Qt::AltModifier, false, 4), K::None);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_Home, Qt::MetaModifier, false, 4), K::None);
    EXPECT_EQ(Rules::TransportKey(Qt::Key_P, Qt::NoModifier, false, 4), K::None);
}
