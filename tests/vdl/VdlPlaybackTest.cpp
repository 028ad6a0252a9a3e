// Frame accuracy of the decoding library, proven by the stamp each frame carries.
#include "VdlTestSupport.h"

#include "vdl/vdl.h"
#include "tools/sample/FrameStamp.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kFps = 25;
constexpr int kFrames = 250; // the standard sample: 10 s

// Opens the standard sample, attaches a surface and shows the first frame.
struct Playing {
    explicit Playing(const QString& path = StandardSample(), SteppedClock* clock = nullptr) : open(path, nullptr, clock)
    {
        EXPECT_TRUE(open.opened) << VDL_GetErrorText(open.error);
        VDL_SetSurface(open.port, surface.Handle());
    }
    int32_t Port() const { return open.port; }
    StampSurface surface; // outlives the port, which may present into it until released
    OpenPort open;
};

// Steps the clock by span and waits until the surface shows the frame due then. (The frame on
// screen is what counts: before anything was presented the port reports its clock's frame.)
bool StepsTo(SteppedClock& clock, const Playing& p, std::chrono::milliseconds span, int64_t frame)
{
    clock.Advance(span);
    const bool shown = WaitFor([&] { return p.surface.LastStamp() == frame && FrameIndex(p.Port()) == frame; });
    if (!shown)
        ADD_FAILURE() << "expected frame " << frame << ", surface shows " << p.surface.LastStamp() << ", port reports "
                      << FrameIndex(p.Port()) << ", played " << VDL_GetPlayedMillis(p.Port()) << " ms";
    return shown;
}

} // namespace

TEST(VdlStream, OpenReportsStreamFactsAndIndex)
{
    std::atomic<int> calls{0};
    int32_t port = 0;
    ASSERT_TRUE(VDL_AcquirePort(&port));
    ASSERT_TRUE(VDL_SetIndexReadyCallback(port, [](int32_t, void* user) { ++*static_cast<std::atomic<int>*>(user); }, &calls));
    ASSERT_TRUE(VDL_OpenFile(port, QFile::encodeName(StandardSample()).constData()));
    ASSERT_TRUE(WaitFor([&] { return calls.load() == 1; }));
    VDL_StreamInfo info = {};
    ASSERT_TRUE(VDL_GetStreamInfo(port, &info));
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_DOUBLE_EQ(info.frameRate, 25.0);
    EXPECT_STREQ(info.codecName, "h264");
    EXPECT_EQ(info.frameCount, kFrames);
    EXPECT_EQ(info.videoStreamCount, 1);
    EXPECT_EQ(info.encrypted, 0);
    EXPECT_EQ(info.wallClockOriginMillis, 1609459200000LL);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(VDL_GetPictureSize(port, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    // Packed range: 2021-01-01 00:00:00 to the last frame at 00:00:09.
    uint32_t start = 0, stop = 0;
    ASSERT_TRUE(VDL_GetFileTimeRange(port, &start, &stop, nullptr));
    EXPECT_EQ(start, VDL_PackTime(2021, 1, 1, 0, 0, 0));
    EXPECT_EQ(stop, VDL_PackTime(2021, 1, 1, 0, 0, 9));
    EXPECT_TRUE(VDL_ReleasePort(port));
    EXPECT_EQ(calls.load(), 1);
}

TEST(VdlSeek, SeekByPlayedTimeLandsOnTheExactFrame)
{
    Playing p;
    const struct {
        int ms;
        int64_t frame;
    } cases[] = {{0, 0}, {1000, 25}, {1001, 26}, {1039, 26}, {4440, 111}, {9960, 249}, {120000, 249}, {-500, 0}, {39, 1}, {2000, 50}};
    for (const auto& c : cases) {
        ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), c.ms)) << c.ms;
        EXPECT_EQ(p.surface.LastStamp(), c.frame) << "seek to " << c.ms << " ms";
        EXPECT_EQ(FrameIndex(p.Port()), c.frame) << c.ms;
        EXPECT_EQ(VDL_GetPlayedMillis(p.Port()), c.frame * 40) << c.ms;
    }
}

TEST(VdlSeek, SeekByWallClockLandsOnTheExactFrameAndClockAgrees)
{
    Playing p;
    const struct {
        int h, m, s;
        int64_t frame;
    } cases[] = {{0, 0, 2, 50}, {0, 0, 7, 175}, {0, 0, 0, 0}, {23, 59, 59, 0}, {0, 5, 0, 249}};
    for (const auto& c : cases) {
        const int day = c.h == 23 ? 31 : 1;
        const int month = c.h == 23 ? 12 : 1;
        const int year = c.h == 23 ? 2020 : 2021;
        ASSERT_TRUE(VDL_SeekWallClock(p.Port(), year, month, day, c.h, c.m, c.s));
        EXPECT_EQ(p.surface.LastStamp(), c.frame) << c.h << ":" << c.m << ":" << c.s;
    }
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 3520)); // frame 88 at 00:00:03.520
    VDL_Clock clock = {};
    ASSERT_TRUE(VDL_GetFrameClock(p.Port(), &clock));
    EXPECT_EQ(clock.year, 2021);
    EXPECT_EQ(clock.second, 3);
    EXPECT_EQ(clock.ms, 520);
    EXPECT_EQ(VDL_GetFrameTime(p.Port()), VDL_PackTime(2021, 1, 1, 0, 0, 3));
    EXPECT_EQ(VDL_GetPlayedSeconds(p.Port()), 3);
}

TEST(VdlSeek, KeyframeSeekShowsTheKeyframeAtOrBeforeAtOnceAndItsOwnTime)
{
    Playing p;
    VDL_StreamInfo info = {};
    ASSERT_TRUE(VDL_GetStreamInfo(p.Port(), &info));
    const int64_t origin = info.wallClockOriginMillis;
    // Keyframes every 25 frames (1 s).
    const struct {
        int64_t ms;
        int64_t frame;
    } cases[] = {{2040, 50}, {1960, 25}, {3999, 75}, {4000, 100}, {9960, 225}, {120000, 225}, {-500, 0}, {0, 0}};
    for (const auto& c : cases) {
        VDL_Stats before = {};
        VDL_GetStats(p.Port(), &before);
        ASSERT_TRUE(VDL_SeekKeyframeWallClock(p.Port(), origin + c.ms)) << c.ms;
        EXPECT_EQ(p.surface.LastStamp(), c.frame) << "keyframe seek to " << c.ms << " ms";
        EXPECT_EQ(FrameIndex(p.Port()), c.frame) << c.ms;
        EXPECT_EQ(VDL_GetPlayedMillis(p.Port()), c.frame * 40) << c.ms;
        VDL_Stats after = {};
        VDL_GetStats(p.Port(), &after);
        EXPECT_LE(after.framesDecoded - before.framesDecoded, 2) << c.ms;
    }
    // Decoding goes on from the keyframe: the next step is the frame after it, and an exact seek
    // afterwards lands on its frame.
    ASSERT_TRUE(VDL_SeekKeyframeWallClock(p.Port(), origin + 2040));
    ASSERT_TRUE(VDL_StepForward(p.Port()));
    EXPECT_EQ(p.surface.LastStamp(), 51);
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 4440));
    EXPECT_EQ(p.surface.LastStamp(), 111);
    EXPECT_FALSE(VDL_SeekKeyframeWallClock(0, origin));
    EXPECT_EQ(VDL_GetLastError(0), VDL_ERR_BAD_PORT);
}

TEST(VdlStep, EachStepMovesExactlyOneFrameEitherWay)
{
    Playing p;
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 2040)); // frame 51, one after a keyframe
    int64_t expected = 51;
    for (int i = 0; i < 45; ++i) { // across two keyframes (50, 25)
        ASSERT_TRUE(VDL_StepBackward(p.Port()));
        --expected;
        ASSERT_EQ(p.surface.LastStamp(), expected) << "step back " << i;
    }
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(VDL_StepForward(p.Port()));
        ++expected;
        ASSERT_EQ(p.surface.LastStamp(), expected) << "step forward " << i;
    }
    // Forward past the cached frames into decoding again.
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(VDL_StepForward(p.Port()));
        ++expected;
        ASSERT_EQ(p.surface.LastStamp(), expected) << "step forward " << i;
    }
    EXPECT_EQ(FrameIndex(p.Port()), expected);
    // At the ends a step stays on the first or last frame.
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 0));
    ASSERT_TRUE(VDL_StepBackward(p.Port()));
    EXPECT_EQ(p.surface.LastStamp(), 0);
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 999999));
    ASSERT_TRUE(VDL_StepForward(p.Port()));
    EXPECT_EQ(FrameIndex(p.Port()), kFrames - 1);
}

TEST(VdlPlay, ForwardPlayShowsEveryFrameInTurnAndSpeedStepsScaleTheRate)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_Play(p.Port(), p.surface.Handle()));
    ASSERT_TRUE(WaitFor([&] { return p.surface.LastStamp() == 0; }));
    p.surface.Clear();
    std::vector<int64_t> expected;
    for (int64_t frame = 1; frame <= 15; ++frame) {
        ASSERT_TRUE(StepsTo(clock, p, 40ms, frame)) << frame;
        expected.push_back(frame);
    }
    EXPECT_EQ(p.surface.Stamps(), expected);

    // 800 ms of the clock: 20 frames at 1x, 80 at 4x, 10 at 1/2x.
    ASSERT_TRUE(StepsTo(clock, p, 800ms, 35));
    ASSERT_TRUE(VDL_Faster(p.Port()));
    ASSERT_TRUE(VDL_Faster(p.Port()));
    int32_t speed = 0;
    ASSERT_TRUE(VDL_GetSpeed(p.Port(), &speed));
    EXPECT_EQ(speed, 64);
    ASSERT_TRUE(StepsTo(clock, p, 800ms, 115));
    ASSERT_TRUE(VDL_Slower(p.Port()));
    ASSERT_TRUE(VDL_Slower(p.Port()));
    ASSERT_TRUE(VDL_Slower(p.Port()));
    ASSERT_TRUE(VDL_GetSpeed(p.Port(), &speed));
    EXPECT_EQ(speed, 8);
    ASSERT_TRUE(StepsTo(clock, p, 800ms, 125));
    // Speed limits are errors, not silent.
    ASSERT_TRUE(VDL_Play(p.Port(), nullptr));
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(VDL_Faster(p.Port()));
    EXPECT_FALSE(VDL_Faster(p.Port()));
    EXPECT_EQ(VDL_GetLastError(p.Port()), VDL_ERR_SPEED_LIMIT);
}
TEST(VdlPlay, AFewPicturesWaitAheadAndAPauseKeepsThemWithoutDecodingAgain)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_Play(p.Port(), p.surface.Handle()));
    ASSERT_TRUE(WaitFor([&] { return p.surface.LastStamp() == 0; }));
    auto stats = [&] {
        VDL_Stats s = {};
        EXPECT_TRUE(VDL_GetStats(p.Port(), &s));
        return s;
    };
    // The clock stands still: a few pictures are decoded and converted ahead, and no more.
    ASSERT_TRUE(WaitFor([&] { return stats().decodedFramesHeld >= 4; }));
    std::this_thread::sleep_for(100ms);
    const VDL_Stats ahead = stats();
    EXPECT_LE(ahead.framesDecoded, 1 + 4 + 1);
    EXPECT_EQ(p.surface.LastStamp(), 0);
    // Paused and resumed, the frames decoded ahead are shown in turn, none decoded twice.
    ASSERT_TRUE(VDL_Pause(p.Port(), 1));
    ASSERT_TRUE(VDL_Pause(p.Port(), 0));
    for (int64_t frame = 1; frame <= 3; ++frame)
        ASSERT_TRUE(StepsTo(clock, p, 40ms, frame));
    EXPECT_LE(stats().framesDecoded, ahead.framesDecoded + 3);
    EXPECT_EQ(stats().seeks, ahead.seeks);
}

TEST(VdlPlay, PlayRunsToTheLastFrameAndStops)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 9000));
    ASSERT_TRUE(VDL_Play(p.Port(), p.surface.Handle()));
    ASSERT_TRUE(StepsTo(clock, p, 2000ms, kFrames - 1));
    clock.Advance(1000ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(p.surface.LastStamp(), kFrames - 1);
    EXPECT_EQ(FrameIndex(p.Port()), kFrames - 1);
}
TEST(VdlPlay, BackwardPlayPresentsDecreasingFramesAcrossKeyframes)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 3000)); // frame 75
    p.surface.Clear();
    ASSERT_TRUE(VDL_PlayBackward(p.Port()));
    for (int64_t frame = 73; frame >= 1; frame -= 2)
        ASSERT_TRUE(StepsTo(clock, p, 80ms, frame)) << frame;
    ASSERT_TRUE(StepsTo(clock, p, 80ms, 0));
    const auto stamps = p.surface.Stamps();
    ASSERT_GE(stamps.size(), 38u);
    for (size_t i = 1; i < stamps.size(); ++i)
        ASSERT_LT(stamps[i], stamps[i - 1]) << i;
    VDL_Stats stats = {};
    ASSERT_TRUE(VDL_GetStats(p.Port(), &stats));
    EXPECT_LE(stats.decodedFramesHeld, 2 * 25 + 4); // at most two GOPs
}
TEST(VdlPause, PauseFreezesTheFrameAndResumeGoesOn)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_Play(p.Port(), p.surface.Handle()));
    ASSERT_TRUE(StepsTo(clock, p, 300ms, 7));
    ASSERT_TRUE(VDL_Pause(p.Port(), 1));
    const size_t count = p.surface.Count();
    clock.Advance(300ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(FrameIndex(p.Port()), 7);
    EXPECT_EQ(p.surface.Count(), count);
    ASSERT_TRUE(VDL_Pause(p.Port(), 0));
    EXPECT_TRUE(StepsTo(clock, p, 120ms, 10)); // on from where it was paused: 300 + 120 ms
}
TEST(VdlSurface, DetachedSurfaceIsNeverCalledAgainAndReattachShowsTheClock)
{
    SteppedClock clock;
    Playing p(StandardSample(), &clock);
    ASSERT_TRUE(VDL_Play(p.Port(), p.surface.Handle()));
    ASSERT_TRUE(StepsTo(clock, p, 200ms, 5));
    ASSERT_TRUE(VDL_SetSurface(p.Port(), nullptr));
    const size_t count = p.surface.Count();
    VDL_Stats before = {};
    ASSERT_TRUE(VDL_GetStats(p.Port(), &before));
    clock.Advance(1000ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(p.surface.Count(), count);
    VDL_Stats after = {};
    ASSERT_TRUE(VDL_GetStats(p.Port(), &after));
    EXPECT_EQ(after.framesDecoded, before.framesDecoded); // nothing decoded without a surface
    // The clock ran on; a new surface shows the frame of its time.
    StampSurface other;
    ASSERT_TRUE(VDL_SetSurface(p.Port(), other.Handle()));
    ASSERT_TRUE(WaitFor([&] { return other.LastStamp() == 30; }));
    EXPECT_EQ(FrameIndex(p.Port()), 30);
    ASSERT_TRUE(VDL_SetSurface(p.Port(), nullptr)); // before `other` goes away
}
TEST(VdlSurface, TheSurfaceIsCopiedWhenAttachedAndOneWithoutPresentIsRefused)
{
    StampSurface stamps; // outlives the port
    OpenPort open(StandardSample());
    ASSERT_TRUE(open.opened);
    {
        VDL_Surface onStack = *stamps.Handle();
        ASSERT_TRUE(VDL_SetSurface(open.port, &onStack));
        onStack = VDL_Surface{nullptr, nullptr}; // the library holds its own copy
    }
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 1000));
    EXPECT_EQ(stamps.LastStamp(), 25);
    const VDL_Surface presentless = {&stamps, nullptr};
    EXPECT_FALSE(VDL_SetSurface(open.port, &presentless));
    EXPECT_EQ(VDL_GetLastError(open.port), VDL_ERR_BAD_ARGUMENT);
    EXPECT_FALSE(VDL_Play(open.port, const_cast<VDL_Surface*>(&presentless)));
    ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 2000)); // still the surface attached before
    EXPECT_EQ(stamps.LastStamp(), 50);
    ASSERT_TRUE(VDL_SetSurface(open.port, nullptr));
}

// Mean difference per channel between two pictures of one size.
double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255.0;
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

TEST(VdlSurfaceView, PicturesShowTheViewsRectangleAtItsSizeAndAPausedChangeDecodesNothing)
{
    Playing p;
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 2000));
    const QImage whole = p.surface.LastImage();
    ASSERT_EQ(whole.size(), QSize(320, 240));
    VDL_Stats before = {};
    ASSERT_TRUE(VDL_GetStats(p.Port(), &before));
    auto shownAgain = [&](size_t count) { return WaitFor([&] { return p.surface.Count() > count; }); };

    // Paused: each view is presented at once from the frame on screen, converted in one pass.
    size_t count = p.surface.Count();
    ASSERT_TRUE(VDL_SetSurfaceView(p.Port(), 160, 120, 160, 120, 160, 120));
    ASSERT_TRUE(shownAgain(count));
    EXPECT_EQ(p.surface.LastImage(), whole.copy(160, 120, 160, 120)); // 1:1, the exact pixels
    VDL_Picture picture = p.surface.LastPicture();
    EXPECT_EQ(picture.frameIndex, 50);
    EXPECT_EQ(picture.sourceWidth, 320);
    EXPECT_EQ(picture.sourceHeight, 240);
    EXPECT_EQ(QRect(picture.viewX, picture.viewY, picture.viewWidth, picture.viewHeight), QRect(160, 120, 160, 120));

    count = p.surface.Count();
    ASSERT_TRUE(VDL_SetSurfaceView(p.Port(), 0, 0, 320, 240, 80, 60));
    ASSERT_TRUE(shownAgain(count));
    EXPECT_LT(MeanDifference(p.surface.LastImage(), whole.scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), 8.0);
    VDL_Stats after = {};
    ASSERT_TRUE(VDL_GetStats(p.Port(), &after));
    EXPECT_EQ(after.framesDecoded, before.framesDecoded);

    // A view the frame cannot give is refused and changes nothing.
    count = p.surface.Count();
    const struct {
        int x, y, w, h, outW, outH;
    } refused[] = {{200, 0, 160, 120, 160, 120}, {-2, 0, 16, 16, 16, 16}, {0, 0, 16, 16, 0, 16},
                   {0, 0, 0, 16, 16, 16}, {0, 0, 320, 240, 20000, 240}, {0, 200, 16, 48, 16, 16}};
    for (const auto& r : refused) {
        EXPECT_FALSE(VDL_SetSurfaceView(p.Port(), r.x, r.y, r.w, r.h, r.outW, r.outH)) << r.x << "," << r.y;
        EXPECT_EQ(VDL_GetLastError(p.Port()), VDL_ERR_BAD_ARGUMENT);
    }
    ASSERT_TRUE(VDL_StepForward(p.Port())); // still the 80x60 view
    EXPECT_EQ(p.surface.LastImage().size(), QSize(80, 60));
    EXPECT_EQ(p.surface.LastPicture().frameIndex, 51);

    // A snapshot stays the whole frame at its own size.
    std::vector<uint8_t> bmp(320 * 240 * 5);
    uint32_t used = 0;
    ASSERT_TRUE(VDL_GetBmp(p.Port(), bmp.data(), static_cast<uint32_t>(bmp.size()), &used));
    EXPECT_EQ(QImage::fromData(bmp.data(), static_cast<int>(used), "BMP").size(), QSize(320, 240));

    // Playing: every picture at the view; back to the whole frame from the next one on.
    ASSERT_TRUE(VDL_Play(p.Port(), nullptr));
    count = p.surface.Count();
    ASSERT_TRUE(WaitFor([&] { return p.surface.Count() > count + 3; }));
    EXPECT_EQ(p.surface.LastImage().size(), QSize(80, 60));
    ASSERT_TRUE(VDL_SetSurfaceView(p.Port(), 0, 0, 0, 0, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return p.surface.LastImage().size() == QSize(320, 240); }));
    EXPECT_GE(p.surface.LastStamp(), 52);
}

TEST(VdlFollow, FollowerKeepsToTheLeaderThroughPauseSeekAndStep)
{
    SteppedClock clock;
    Playing leader(StandardSample(), &clock);
    Playing follower(StandardSample(), &clock);
    ASSERT_TRUE(VDL_FollowPort(follower.Port(), leader.Port()));
    // Own transport is refused while following.
    EXPECT_FALSE(VDL_Play(follower.Port(), nullptr));
    EXPECT_EQ(VDL_GetLastError(follower.Port()), VDL_ERR_WRONG_STATE);
    ASSERT_TRUE(VDL_Play(leader.Port(), leader.surface.Handle()));
    std::this_thread::sleep_for(50ms); // the leader's clock starts once the follower shows its frame
    ASSERT_TRUE(StepsTo(clock, leader, 500ms, 12));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 12; }));
    ASSERT_TRUE(VDL_Pause(leader.Port(), 1));
    ASSERT_TRUE(VDL_SeekPlayedTime(leader.Port(), 6000));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 150; }));
    ASSERT_TRUE(VDL_StepBackward(leader.Port()));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 149; }));
    ASSERT_TRUE(VDL_StepForward(leader.Port()));
    ASSERT_TRUE(VDL_StepForward(leader.Port()));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 151; }));
    ASSERT_TRUE(VDL_Play(leader.Port(), nullptr));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(StepsTo(clock, leader, 400ms, 161));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 161; }));
    // An offset keeps the follower that far from the leader's frame, either way.
    ASSERT_TRUE(VDL_Pause(leader.Port(), 1));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == leader.surface.LastStamp(); }));
    const int shown = leader.surface.LastStamp();
    ASSERT_TRUE(VDL_SetFollowOffset(follower.Port(), 1000));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == shown + 25; })) << follower.surface.LastStamp();
    ASSERT_TRUE(VDL_SetFollowOffset(follower.Port(), -2000));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == shown - 50; })) << follower.surface.LastStamp();
    ASSERT_TRUE(VDL_StepForward(leader.Port()));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == shown - 49; })) << follower.surface.LastStamp();
    ASSERT_TRUE(VDL_SetFollowOffset(follower.Port(), 0));
    // Let go: the follower stays where it was and takes its own transport again.
    ASSERT_TRUE(VDL_FollowPort(follower.Port(), -1));
    EXPECT_TRUE(VDL_SeekPlayedTime(follower.Port(), 1000));
    EXPECT_EQ(follower.surface.LastStamp(), 25);
    // Following oneself or a port that is not there is refused.
    EXPECT_FALSE(VDL_FollowPort(follower.Port(), follower.Port()));
    EXPECT_EQ(VDL_GetLastError(follower.Port()), VDL_ERR_FOLLOW);
    EXPECT_FALSE(VDL_FollowPort(follower.Port(), 63));
    EXPECT_EQ(VDL_GetLastError(follower.Port()), VDL_ERR_FOLLOW);
}
// After a seek or a start the leader's clock waits for its follower to show its instant (here at
// once: the follower is there already); the clock then runs for both, from that instant.
TEST(VdlFollow, ALeaderStartsItsClockOnceItsFollowerShowsItsInstant)
{
    SteppedClock clock;
    Playing leader(StandardSample(), &clock);
    Playing follower(StandardSample(), &clock);
    ASSERT_TRUE(VDL_FollowPort(follower.Port(), leader.Port()));
    ASSERT_TRUE(VDL_SeekPlayedTime(leader.Port(), 2000));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 50; }));
    ASSERT_TRUE(VDL_Play(leader.Port(), leader.surface.Handle()));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(StepsTo(clock, leader, 200ms, 55));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 55; }));
    // A seek while playing holds again, and both go on from the new instant.
    ASSERT_TRUE(VDL_SeekPlayedTime(leader.Port(), 6000));
    ASSERT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 150; }));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(StepsTo(clock, leader, 200ms, 155));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 155; }));
    // Let go at once after the leader's seek: the follower keeps the leader's instant, even when
    // the frame of it had not reached its surface yet.
    ASSERT_TRUE(VDL_Pause(leader.Port(), 1));
    ASSERT_TRUE(VDL_SeekPlayedTime(leader.Port(), 3000));
    ASSERT_TRUE(VDL_FollowPort(follower.Port(), -1));
    EXPECT_TRUE(WaitFor([&] { return follower.surface.LastStamp() == 75 && FrameIndex(follower.Port()) == 75; }))
        << follower.surface.LastStamp();
}

TEST(VdlBmp, SnapshotIsACompleteBmpOfTheFrameOnScreen)
{
    Playing p;
    ASSERT_TRUE(VDL_SeekPlayedTime(p.Port(), 5000));
    uint32_t used = 0;
    std::vector<uint8_t> small(1000);
    EXPECT_FALSE(VDL_GetBmp(p.Port(), small.data(), static_cast<uint32_t>(small.size()), &used));
    EXPECT_EQ(VDL_GetLastError(p.Port()), VDL_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(used, 54u + 320u * 240u * 4u);
    std::vector<uint8_t> buffer(320 * 240 * 5);
    VDL_FrameInfo info = {};
    ASSERT_TRUE(VDL_GetBmpAndFrame(p.Port(), buffer.data(), static_cast<uint32_t>(buffer.size()), &used, &info));
    EXPECT_EQ(info.frameIndex, 125);
    EXPECT_EQ(info.playedMillis, 5000);
    QImage image = QImage::fromData(buffer.data(), static_cast<int>(used), "BMP");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 240));
    image = image.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(FrameStamp::Read(image.constBits(), image.width(), image.height(), static_cast<int>(image.bytesPerLine())), 125);
}

TEST(VdlPorts, EveryCallOnAnUnknownPortFailsWithItsOwnCode)
{
    int32_t released = 0;
    ASSERT_TRUE(VDL_AcquirePort(&released));
    ASSERT_TRUE(VDL_ReleasePort(released));
    uint32_t u32 = 0;
    int32_t i32 = 0;
    VDL_Clock clock = {};
    VDL_StreamInfo info = {};
    VDL_Stats stats = {};
    VDL_FrameInfo frame = {};
    uint8_t buffer[64];
    for (int32_t port : {0, -1, released, VDL_MAX_PORTS + 1, 1000000}) {
        const std::vector<std::pair<const char*, std::function<int32_t()>>> calls = {
            {"ReleasePort", [&] { return VDL_ReleasePort(port); }},
            {"SetIndexReadyCallback", [&] { return VDL_SetIndexReadyCallback(port, nullptr, nullptr); }},
            {"SetStreamKey", [&] { return VDL_SetStreamKey(port, 1, "qa_halyards_5062", 128); }},
            {"OpenFile", [&] { return VDL_OpenFile(port, "/nonexistent"); }},
            {"SyncToAudio", [&] { return VDL_SyncToAudio(port, 1); }},
            {"GetFileTimeRange", [&] { return VDL_GetFileTimeRange(port, &u32, &u32, &u32); }},
            {"Play", [&] { return VDL_Play(port, nullptr); }},
            {"Pause", [&] { return VDL_Pause(port, 1); }},
            {"Stop", [&] { return VDL_Stop(port); }},
            {"Faster", [&] { return VDL_Faster(port); }},
            {"Slower", [&] { return VDL_Slower(port); }},
            {"PlayBackward", [&] { return VDL_PlayBackward(port); }},
            {"StepForward", [&] { return VDL_StepForward(port); }},
            {"StepBackward", [&] { return VDL_StepBackward(port); }},
            {"SeekPlayedTime", [&] { return VDL_SeekPlayedTime(port, 0); }},
            {"SeekWallClock", [&] { return VDL_SeekWallClock(port, 2021, 1, 1, 0, 0, 0); }},
            {"SeekKeyframeWallClock", [&] { return VDL_SeekKeyframeWallClock(port, 0); }},
            {"GetFrameClock", [&] { return VDL_GetFrameClock(port, &clock); }},
            {"SoundOn", [&] { return VDL_SoundOn(port); }},
            {"SoundOff", [&] { return VDL_SoundOff(port); }},
            {"SetVolume", [&] { return VDL_SetVolume(port, 0x7FFF); }},
            {"EnableOverlays", [&] { return VDL_EnableOverlays(port, 1); }},
            {"GetPictureSize", [&] { return VDL_GetPictureSize(port, &i32, &i32); }},
            {"GetBmp", [&] { return VDL_GetBmp(port, buffer, sizeof buffer, &u32); }},
            {"SetWatermarkCallback", [&] { return VDL_SetWatermarkCallback(port, nullptr, nullptr); }},
            {"DewarpEnable", [&] { return VDL_DewarpEnable(port); }},
            {"SetSurface", [&] { return VDL_SetSurface(port, nullptr); }},
            {"SelectStream", [&] { return VDL_SelectStream(port, 0); }},
            {"FollowPort", [&] { return VDL_FollowPort(port, -1); }},
            {"GetStreamInfo", [&] { return VDL_GetStreamInfo(port, &info); }},
            {"GetStats", [&] { return VDL_GetStats(port, &stats); }},
            {"GetFrameInfo", [&] { return VDL_GetFrameInfo(port, &frame); }},
            {"GetSpeed", [&] { return VDL_GetSpeed(port, &i32); }},
        };
        for (const auto& [name, call] : calls) {
            EXPECT_EQ(call(), 0) << name << " on port " << port;
            EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_BAD_PORT) << name << " on port " << port;
        }
        EXPECT_EQ(VDL_GetPlayedMillis(port), -1);
        EXPECT_EQ(VDL_GetPlayedSeconds(port), -1);
        EXPECT_EQ(VDL_GetFrameTime(port), 0u);
    }
    EXPECT_STREQ(VDL_GetErrorText(VDL_ERR_BAD_PORT), "Unknown port");
    EXPECT_STREQ(VDL_GetErrorText(-5), "Unknown error");
}

TEST(VdlPorts, CallsOnAPortWithoutAFileFailAsNotOpen)
{
    int32_t port = 0;
    ASSERT_TRUE(VDL_AcquirePort(&port));
    EXPECT_FALSE(VDL_Play(port, nullptr));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_NOT_OPEN);
    EXPECT_FALSE(VDL_SeekPlayedTime(port, 0));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_NOT_OPEN);
    uint8_t b[10];
    uint32_t used = 0;
    EXPECT_FALSE(VDL_GetBmp(port, b, sizeof b, &used));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_NOT_OPEN);
    EXPECT_FALSE(VDL_OpenFile(port, "/nonexistent/file.video"));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_FILE_OPEN);
    EXPECT_FALSE(VDL_SetStreamKey(port, 1, "short", 128));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_BAD_ARGUMENT);
    ASSERT_TRUE(VDL_OpenFile(port, QFile::encodeName(StandardSample()).constData()));
    EXPECT_FALSE(VDL_OpenFile(port, QFile::encodeName(StandardSample()).constData()));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_ALREADY_OPEN);
    EXPECT_FALSE(VDL_SelectStream(port, 1));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_ALREADY_OPEN);
    // Dewarping: views open only once enabled, and only with a known placement and mode.
    int32_t sub = 0;
    EXPECT_FALSE(VDL_DewarpOpenView(port, &sub, 3, 0x100));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_WRONG_STATE);
    EXPECT_TRUE(VDL_DewarpEnable(port));
    EXPECT_FALSE(VDL_DewarpOpenView(port, &sub, 4, 0x100));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_BAD_PLACEMENT);
    EXPECT_FALSE(VDL_DewarpOpenView(port, &sub, 3, 0x500));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_BAD_MODE);
    EXPECT_FALSE(VDL_DewarpCloseView(port, 1));
    EXPECT_EQ(VDL_GetLastError(port), VDL_ERR_BAD_SUBPORT);
    EXPECT_STREQ(VDL_GetErrorText(VDL_ERR_BAD_SUBPORT), "No such dewarp view");
    EXPECT_TRUE(VDL_SoundOn(port));
    EXPECT_TRUE(VDL_SetVolume(port, 0x7FFF));
    EXPECT_TRUE(VDL_SoundOff(port));
    EXPECT_TRUE(VDL_EnableOverlays(port, 1));
    EXPECT_TRUE(VDL_SyncToAudio(port, 1));
    EXPECT_TRUE(VDL_ReleasePort(port));
}

TEST(VdlPorts, ReleaseWhilePlayingAndCallsInAnyOrderNeverHang)
{
    StampSurface surface;
    for (int round = 0; round < 5; ++round) {
        int32_t port = 0;
        ASSERT_TRUE(VDL_AcquirePort(&port));
        ASSERT_TRUE(VDL_OpenFile(port, QFile::encodeName(StandardSample()).constData()));
        VDL_Play(port, surface.Handle());
        VDL_Faster(port);
        VDL_StepBackward(port);
        VDL_PlayBackward(port);
        VDL_SeekPlayedTime(port, 7000 - round * 1000);
        VDL_Pause(port, 1);
        VDL_Pause(port, 0);
        VDL_SetSurface(port, nullptr);
        VDL_Play(port, surface.Handle());
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
        ASSERT_TRUE(VDL_ReleasePort(port));
    }
}
