// Frames decoded ahead wait as decoded and are converted only when the port's clock reaches them:
// an overtaken frame is never converted, each shown one is converted at the view it waited with
// into the converter's one buffer, and Drain gives back what was never shown.
#include "FrameConverter.h"
#include "PictureQueue.h"
#include "VdlTestSupport.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A grey 4:2:0 frame whose luma is `level`, stamped at played time ms.
DecodedFrame GreyFrame(int level, double ms)
{
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = 64;
    frame->height = 48;
    EXPECT_EQ(av_frame_get_buffer(frame, 0), 0);
    for (int plane = 0; plane < 3; ++plane)
        std::memset(frame->data[plane], plane == 0 ? level : 128,
                    static_cast<size_t>(frame->linesize[plane]) * (plane == 0 ? 48 : 24));
    DecodedFrame f;
    f.picture = std::shared_ptr<AVFrame>(frame, [](AVFrame* p) { av_frame_free(&p); });
    f.ms = ms;
    return f;
}

struct Shown {
    int64_t frameIndex;
    int width;
    int height;
    const uint8_t* pixels;
    uint8_t blue; // first pixel's
};

struct Recorder {
    std::mutex mutex;
    std::vector<Shown> shown;
    std::vector<int64_t> dropped;
    VDL_Surface Handle()
    {
        return VDL_Surface{this, [](void* user, const VDL_Picture* p) {
                               auto* self = static_cast<Recorder*>(user);
                               std::lock_guard<std::mutex> lock(self->mutex);
                               self->shown.push_back({p->frameIndex, p->width, p->height, p->pixels, p->pixels[0]});
                           }};
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return shown.size();
    }
};

TEST(VdlPictureQueue, FramesAreConvertedWhenShownAndOvertakenOnesNever)
{
    SteppedClock stepped;
    const TimeSource source{&SteppedClock::Now, &stepped};
    FrameConverter converter;
    Recorder recorder;
    PictureQueue queue(
        converter,
        [&](const PictureQueue::Picture&, double, int64_t dropped) {
            std::lock_guard<std::mutex> lock(recorder.mutex);
            recorder.dropped.push_back(dropped);
        },
        [] {});
    PlayClock clock(source);
    clock.SetPosition(0.0, clock.Now());
    clock.SetRate(1.0, clock.Now());
    queue.SetClock(clock);

    // kAhead frames 40 ms apart wait, the last with a view of its own; one more is refused.
    constexpr int n = PictureQueue::kAhead;
    static_assert(n >= 3, "two overtaken and one shown before the last");
    const SurfaceView half{0, 0, 64, 48, 32, 24};
    for (int i = 0; i < n; ++i) {
        PictureQueue::Picture* slot = queue.Acquire();
        ASSERT_NE(slot, nullptr);
        slot->frame = GreyFrame(40 + 40 * i, 40.0 * (i + 1));
        slot->info.frameIndex = i + 1;
        slot->view = i == n - 1 ? half : SurfaceView{};
        slot->surface = recorder.Handle();
        queue.Push(slot);
    }
    EXPECT_EQ(queue.Acquire(), nullptr);
    EXPECT_EQ(recorder.Count(), 0u); // none due yet

    // The clock jumps past all but the last: only the one before it is shown, those before dropped.
    stepped.Advance(std::chrono::milliseconds(40 * (n - 1) + 5));
    ASSERT_TRUE(WaitFor([&] { return recorder.Count() == 1; }));
    // The last waits for its time, still unconverted: the last picture is the one before.
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.shown[0].frameIndex, n - 1);
    EXPECT_EQ(recorder.dropped[0], n - 2);
    EXPECT_EQ(recorder.shown[0].width, 64);
    EXPECT_EQ(converter.Width(), 64);
    const uint8_t thirdBlue = recorder.shown[0].blue;

    stepped.Advance(40ms);
    ASSERT_TRUE(WaitFor([&] { return recorder.Count() == 2; }));
    // Converted at the view it waited with, into the same buffer as the picture before.
    EXPECT_EQ(recorder.shown[1].frameIndex, n);
    EXPECT_EQ(recorder.shown[1].width, 32);
    EXPECT_EQ(recorder.shown[1].height, 24);
    EXPECT_EQ(recorder.shown[1].pixels, converter.Pixels());
    EXPECT_GT(recorder.shown[1].blue, thirdBlue); // the brighter frame: converted when shown

    // Drained: the last shown comes back; a frame pushed and taken back before its time is never shown.
    PictureQueue::Picture* slot = queue.Acquire();
    ASSERT_NE(slot, nullptr);
    slot->frame = GreyFrame(200, 400.0);
    slot->surface = recorder.Handle();
    queue.Push(slot);
    const PictureQueue::Drained drained = queue.Drain();
    ASSERT_EQ(drained.waiting.size(), 1u);
    EXPECT_DOUBLE_EQ(drained.waiting[0].ms, 400.0);
    EXPECT_DOUBLE_EQ(drained.shown.ms, 40.0 * n);
    stepped.Advance(1000ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(recorder.Count(), 2u);
}

// The port is told of room once no more than kLowWater pictures wait, so it refills a few at a
// wake; a picture pushed behind others (which wakes nothing) is still shown at its time.
TEST(VdlPictureQueue, RoomIsSignalledAtLowWaterAndPicturesPushedBehindOthersShowOnTime)
{
    SteppedClock stepped;
    const TimeSource source{&SteppedClock::Now, &stepped};
    FrameConverter converter;
    Recorder recorder;
    std::atomic<int> rooms{0};
    PictureQueue queue(converter, [](const PictureQueue::Picture&, double, int64_t) {}, [&] { ++rooms; });
    PlayClock clock(source);
    clock.SetPosition(0.0, clock.Now());
    clock.SetRate(1.0, clock.Now());
    queue.SetClock(clock);
    int pushed = 0;
    auto push = [&] {
        PictureQueue::Picture* slot = queue.Acquire();
        ASSERT_NE(slot, nullptr);
        ++pushed;
        slot->frame = GreyFrame(40, 40.0 * pushed);
        slot->info.frameIndex = pushed;
        slot->surface = recorder.Handle();
        queue.Push(slot);
    };
    for (int i = 0; i < PictureQueue::kAhead; ++i)
        push();
    // Shown one at a time: no word of room until only kLowWater wait.
    for (int shown = 1; shown <= PictureQueue::kAhead - PictureQueue::kLowWater; ++shown) {
        stepped.Advance(40ms);
        ASSERT_TRUE(WaitFor([&] { return recorder.Count() == static_cast<size_t>(shown); }));
        ASSERT_TRUE(WaitFor([&] { return queue.Waiting() == static_cast<size_t>(PictureQueue::kAhead - shown); }));
        std::this_thread::sleep_for(10ms);
        EXPECT_EQ(rooms.load(), shown == PictureQueue::kAhead - PictureQueue::kLowWater ? 1 : 0) << shown;
    }
    // Refilled behind the pictures still waiting; every one is shown in turn.
    while (queue.Waiting() < static_cast<size_t>(PictureQueue::kAhead))
        push();
    for (int i = recorder.Count(); i < pushed; ++i) {
        stepped.Advance(40ms);
        ASSERT_TRUE(WaitFor([&] { return recorder.Count() == static_cast<size_t>(i + 1); })) << i;
    }
    for (int i = 0; i < pushed; ++i)
        EXPECT_EQ(recorder.shown[i].frameIndex, i + 1);
}

} // namespace
