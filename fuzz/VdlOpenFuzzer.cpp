// The decoding library on a file of any content: open it, then a little of everything the
// player does with a stream (steps both ways, a seek, fast play forward and backward, a picture
// grab). Every call must return (success or an error code), every picture must be as large as it
// says, and the port must let go cleanly.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "vdl/vdl.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// The sample maker's default key, so encrypted seeds get past the key check and into the stream.
constexpr char kSampleKey[] = "qa_halyards_5062";

class CheckingSurface {
public:
    VDL_Surface* Handle() { return &handle; }
    static void Check(void* user, const VDL_Picture* p)
    {
        const VDL_Picture& picture = *p;
        FUZZ_CHECK(picture.pixels != nullptr);
        FUZZ_CHECK(picture.width > 0 && picture.height > 0);
        FUZZ_CHECK(picture.stride >= picture.width * 4);
        // The first and the last pixel of the picture must be readable.
        volatile uint8_t touch = picture.pixels[0];
        touch = picture.pixels[static_cast<size_t>(picture.height - 1) * static_cast<size_t>(picture.stride)
                               + static_cast<size_t>(picture.width) * 4 - 1];
        (void)touch;
        static_cast<CheckingSurface*>(user)->presented.fetch_add(1);
    }
    std::atomic<int> presented{0};
    VDL_Surface handle{this, &CheckingSurface::Check};
};

void Quiet(int32_t, const char*, void*) {}

void OnWatermark(int32_t, const VDL_WatermarkReport** report, void*)
{
    FUZZ_CHECK(report != nullptr && *report != nullptr);
    FUZZ_CHECK((*report)->status <= VDL_WATERMARK_MISSING);
}

void Pause(int millis)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(millis));
}

void GrabPicture(int32_t port)
{
    int32_t width = 0;
    int32_t height = 0;
    if (!VDL_GetPictureSize(port, &width, &height)) {
        return;
    }
    FUZZ_CHECK(width > 0 && height > 0);
    uint32_t used = 0;
    uint8_t small[16];
    if (VDL_GetBmp(port, small, sizeof small, &used)) {
        return;
    }
    if (VDL_GetLastError(port) != VDL_ERR_BUFFER_TOO_SMALL) {
        return;
    }
    FUZZ_CHECK(used > 54 && used <= 54u + 4u * 8192u * 8192u);
    std::vector<uint8_t> bmp(used);
    VDL_FrameInfo info{};
    if (VDL_GetBmpAndFrame(port, bmp.data(), used, &used, &info)) {
        FUZZ_CHECK(bmp[0] == 'B' && bmp[1] == 'M');
        FUZZ_CHECK(used <= bmp.size());
    }
}

} // namespace

int FuzzVdlOpen(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        VDL_SetLogCallback(&Quiet, nullptr);
        return true;
    }();
    (void)quiet;
    ScratchFile file(data, size, QStringLiteral("stream.video"));
    const QByteArray path = file.Path().toLocal8Bit();

    int32_t port = 0;
    FUZZ_CHECK(VDL_AcquirePort(&port));
    VDL_SetDecoderThreads(port, 1);
    VDL_SetStreamKey(port, 1, kSampleKey, 128);
    VDL_SetWatermarkCallback(port, &OnWatermark, nullptr);
    CheckingSurface surface;
    if (VDL_OpenFile(port, path.constData())) {
        VDL_StreamInfo info{};
        FUZZ_CHECK(VDL_GetStreamInfo(port, &info));
        FUZZ_CHECK(info.videoStreamCount >= 1);
        uint32_t start = 0;
        uint32_t stop = 0;
        VDL_GetFileTimeRange(port, &start, &stop, nullptr);
        if (VDL_Play(port, surface.Handle())) {
            Pause(10);
            VDL_StepForward(port);
            VDL_StepForward(port);
            GrabPicture(port);
            VDL_SeekPlayedTime(port, static_cast<int32_t>(info.durationMillis / 2));
            VDL_StepBackward(port);
            VDL_StepBackward(port);
            VDL_SeekWallClock(port, 2001, 1, 1, 0, 0, 0);
            GrabPicture(port);
            // A few seconds of the stream at the top speed, then backward.
            VDL_Pause(port, 0);
            for (int i = 0; i < 4; ++i) {
                VDL_Faster(port);
            }
            Pause(40);
            VDL_PlayBackward(port);
            Pause(20);
            VDL_GetPlayedMillis(port);
            VDL_GetFrameTime(port);
            VDL_Stop(port);
        }
    }
    FUZZ_CHECK(VDL_ReleasePort(port));
    // A file the library only reads stays as it was.
    const QByteArray after = file.Bytes();
    FUZZ_CHECK(after.size() == static_cast<qsizetype>(size));
    FUZZ_CHECK(size == 0 || std::equal(after.begin(), after.end(), reinterpret_cast<const char*>(data)));
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzVdlOpen)
