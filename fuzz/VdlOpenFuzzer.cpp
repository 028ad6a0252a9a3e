// The decoding library on a stream of any content, read from memory: open it, then run the
// operations the input's trailing bytes ask for (steps both ways, seeks, speeds, backward play,
// picture grabs, surface swaps). Every call must return (success or an error code), every picture
// must be as large as it says, and the port must let go cleanly.
//
// Input: the stream's bytes, then kOpsBytes of operations when the input is longer than that
// (shorter inputs are only opened). The first operation byte sets the port up; each further byte
// is one operation, its low nibble the operation and its high nibble the argument. Iterations and
// pictures are capped, so one input costs a bounded time whatever it asks for.
#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "StreamRegion.h"
#include "vdl/vdl.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// The sample maker's default key, so encrypted seeds get past the key check and into the stream.
constexpr char kSampleKey[] = "qa_halyards_5062";
constexpr size_t kOpsBytes = 32;
// Calls a port gets at most per input; a repeated step counts once per frame.
constexpr int kMaxIterations = 64;
// As large as the recorders' HD exports: larger pictures are refused by the decoder.
constexpr int64_t kMaxPixels = 1920 * 1088;

class CheckingSurface {
public:
    VDL_Surface* Handle() { return &handle; }
    static void Check(void* user, const VDL_Picture* p)
    {
        const VDL_Picture& picture = *p;
        FUZZ_CHECK(picture.pixels != nullptr);
        FUZZ_CHECK(picture.width > 0 && picture.height > 0);
        FUZZ_CHECK(static_cast<int64_t>(picture.width) * picture.height <= kMaxPixels);
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

void GrabPicture(int32_t port, std::vector<uint8_t>& bmp)
{
    int32_t width = 0;
    int32_t height = 0;
    if (!VDL_GetPictureSize(port, &width, &height))
        return;
    FUZZ_CHECK(width > 0 && height > 0);
    uint32_t used = 0;
    uint8_t small[16];
    if (VDL_GetBmp(port, small, sizeof small, &used))
        return;
    if (VDL_GetLastError(port) != VDL_ERR_BUFFER_TOO_SMALL)
        return;
    FUZZ_CHECK(used > 54 && used <= 54u + 4u * static_cast<uint32_t>(kMaxPixels));
    bmp.resize(used);
    VDL_FrameInfo info{};
    if (VDL_GetBmpAndFrame(port, bmp.data(), used, &used, &info)) {
        FUZZ_CHECK(bmp[0] == 'B' && bmp[1] == 'M');
        FUZZ_CHECK(used <= bmp.size());
    }
}

void Query(int32_t port)
{
    VDL_FrameInfo frame{};
    VDL_Stats stats{};
    VDL_StreamInfo info{};
    int32_t speed = 0;
    VDL_GetFrameInfo(port, &frame);
    VDL_GetStats(port, &stats);
    FUZZ_CHECK(VDL_GetStreamInfo(port, &info));
    FUZZ_CHECK(info.durationMillis >= 0);
    if (VDL_GetSpeed(port, &speed))
        FUZZ_CHECK(speed >= -16 * 16 && speed <= 16 * 16);
    VDL_GetPlayedMillis(port);
    VDL_GetFrameTime(port);
    uint32_t start = 0;
    uint32_t stop = 0;
    VDL_GetFileTimeRange(port, &start, &stop, nullptr);
}

// A target from 0 to a little past the end, in fifteenths of the duration.
int32_t TargetMillis(int64_t durationMillis, int argument)
{
    return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, durationMillis * argument / 14));
}

void RunOperations(int32_t port, const uint8_t* ops, size_t count, CheckingSurface& surface)
{
    VDL_StreamInfo info{};
    FUZZ_CHECK(VDL_GetStreamInfo(port, &info));
    std::vector<uint8_t> bmp;
    int iterations = 0;
    for (size_t i = 0; i < count && iterations < kMaxIterations; ++i, ++iterations) {
        const int argument = ops[i] >> 4;
        switch (ops[i] & 0x0F) {
        case 0:
            VDL_Play(port, surface.Handle());
            break;
        case 1:
            VDL_Pause(port, argument & 1);
            break;
        case 2:
            VDL_Stop(port);
            break;
        case 3:
            VDL_Faster(port);
            break;
        case 4:
            VDL_Slower(port);
            break;
        case 5:
            VDL_PlayBackward(port);
            break;
        case 6:
        case 7: {
            const int steps = 1 + (argument & 7);
            for (int s = 0; s < steps && iterations < kMaxIterations; ++s, ++iterations) {
                if ((ops[i] & 0x0F) == 6)
                    VDL_StepForward(port);
                else
                    VDL_StepBackward(port);
            }
            break;
        }
        case 8:
            VDL_SeekPlayedTime(port, TargetMillis(info.durationMillis, argument));
            break;
        case 9: {
            // The stream's own wall clock: its origin and the target's whole seconds after it.
            const time_t seconds = static_cast<time_t>(info.wallClockOriginMillis / 1000
                                                       + TargetMillis(info.durationMillis, argument) / 1000);
            struct tm local = {};
            if (localtime_r(&seconds, &local))
                VDL_SeekWallClock(port, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                  local.tm_min, local.tm_sec);
            break;
        }
        case 10:
            GrabPicture(port, bmp);
            break;
        case 11:
            Query(port);
            break;
        case 12:
            VDL_SetSurface(port, (argument & 1) ? nullptr : surface.Handle());
            break;
        case 13:
            VDL_SetWallClockOrigin(port, static_cast<int64_t>(argument) * 86400 * 365);
            break;
        default:
            // The rest of the operations are left out.
            return;
        }
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
    const uint8_t* ops = nullptr;
    if (size > kOpsBytes) {
        size -= kOpsBytes;
        ops = data + size;
    }
    const StreamRegion::MemoryFile stream(data, size, kMaxPixels);

    int32_t port = 0;
    FUZZ_CHECK(VDL_AcquirePort(&port));
    const uint8_t setup = ops ? ops[0] : 0;
    VDL_SetDecoderThreads(port, 1);
    if (!(setup & 0x01))
        VDL_SetStreamKey(port, 1, kSampleKey, 128);
    if (!(setup & 0x02))
        VDL_SetWatermarkCallback(port, &OnWatermark, nullptr);
    VDL_SelectStream(port, (setup >> 2) & 0x03);
    if (setup & 0x10) {
        // A stream region the caller gives instead of the one found from the tag.
        VDL_SetStreamRegion(port, static_cast<int64_t>(size) * ((setup >> 5) + 1) / 8);
    }
    CheckingSurface surface;
    if (VDL_OpenFile(port, stream.Name().c_str())) {
        VDL_StreamInfo info{};
        FUZZ_CHECK(VDL_GetStreamInfo(port, &info));
        FUZZ_CHECK(info.videoStreamCount >= 1);
        if (ops) {
            RunOperations(port, ops + 1, kOpsBytes - 1, surface);
        } else {
            VDL_Play(port, surface.Handle());
            VDL_StepForward(port);
            VDL_StepBackward(port);
        }
        VDL_Stop(port);
    }
    FUZZ_CHECK(VDL_ReleasePort(port));
    return 0;
}

PLOMERA_FUZZ_TARGET(FuzzVdlOpen)
