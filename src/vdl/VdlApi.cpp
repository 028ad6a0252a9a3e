// The C entry points: look the port up, call it, keep the error for VDL_GetLastError.
#include "Port.h"
#include "PortTable.h"
#include "WatermarkScan.h"
#include "vdl/vdl.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>

namespace {

thread_local int t_lastError = VDL_ERR_NONE;

const char* const kErrorTexts[VDL_ERR_COUNT_] = {
    "No error",
    "Unknown port",
    "No free port",
    "Invalid argument",
    "No file is open on the port",
    "A file is already open on the port",
    "The file cannot be opened as a stream",
    "The file has no such video stream",
    "The stream's codec cannot be decoded",
    "The stream is encrypted and no key was set",
    "The key does not match the stream",
    "The buffer is too small",
    "No picture has been presented yet",
    "Not supported",
    "Not allowed in the port's state",
    "The speed is at its limit",
    "The stream cannot be positioned",
    "The port did not answer in time",
    "Reading the stream failed",
    "The port cannot follow that port",
    "No such dewarp view",
    "Unknown dewarp placement",
    "Unknown dewarp view mode",
};

std::mutex g_logMutex; // guards the log sink
VDL_LogCallback g_logCallback = nullptr;
void* g_logUser = nullptr;

void AvLog(void* avcl, int level, const char* format, va_list args)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(avcl, level, format, args, line, sizeof line, &prefix);
    VDL_LogCallback callback;
    void* user;
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        callback = g_logCallback;
        user = g_logUser;
    }
    if (callback)
        callback(0, line, user);
}

int32_t Result(int code)
{
    t_lastError = code;
    return code == VDL_ERR_NONE ? 1 : 0;
}

// Runs fn on the port; records the error on the port and the thread.
template <typename Fn>
int32_t OnPort(int32_t number, Fn fn)
{
    std::shared_ptr<Port> port = PortTable::Instance().Find(number);
    if (!port)
        return Result(VDL_ERR_BAD_PORT);
    const int code = fn(*port);
    port->SetLastError(code);
    return Result(code);
}

// Dewarping: the port's DewarpSet does the work; every change wakes the port's thread.
template <typename Fn>
int32_t OnDewarp(int32_t port, Fn fn)
{
    return OnPort(port, [&](Port& p) {
        const int code = fn(p.Dewarp());
        p.DewarpChanged();
        return code;
    });
}

} // namespace

extern "C" {

int32_t VDL_AcquirePort(int32_t* port) { return Result(PortTable::Instance().Acquire(port)); }

int32_t VDL_ReleasePort(int32_t port) { return Result(PortTable::Instance().Release(port)); }

int32_t VDL_SetIndexReadyCallback(int32_t port, VDL_IndexReadyCallback callback, void* user)
{
    return OnPort(port, [&](Port& p) { return p.SetIndexReadyCallback(callback, user); });
}

int32_t VDL_SetStreamKey(int32_t port, int32_t mode, const char* key, int32_t keyBits)
{
    return OnPort(port, [&](Port& p) { return mode != 1 ? int(VDL_ERR_BAD_ARGUMENT) : p.SetStreamKey(key, keyBits); });
}

int32_t VDL_OpenFile(int32_t port, const char* path)
{
    return OnPort(port, [&](Port& p) { return p.OpenFile(path); });
}

int32_t VDL_SyncToAudio(int32_t port, int32_t)
{
    // Picture and sound share the port's clock; nothing to switch.
    return OnPort(port, [](Port&) { return int(VDL_ERR_NONE); });
}

int32_t VDL_GetFileTimeRange(int32_t port, uint32_t* start, uint32_t* stop, uint32_t* durationSeconds)
{
    return OnPort(port, [&](Port& p) { return p.GetTimeRange(start, stop, durationSeconds); });
}

int32_t VDL_Play(int32_t port, void* window)
{
    return OnPort(port, [&](Port& p) { return p.Play(static_cast<const VDL_Surface*>(window)); });
}

int32_t VDL_Pause(int32_t port, int32_t pause)
{
    return OnPort(port, [&](Port& p) { return p.Pause(pause != 0); });
}

int32_t VDL_Stop(int32_t port) { return OnPort(port, [](Port& p) { return p.Stop(); }); }
int32_t VDL_Faster(int32_t port) { return OnPort(port, [](Port& p) { return p.Faster(); }); }
int32_t VDL_Slower(int32_t port) { return OnPort(port, [](Port& p) { return p.Slower(); }); }
int32_t VDL_PlayBackward(int32_t port) { return OnPort(port, [](Port& p) { return p.PlayBackward(); }); }
int32_t VDL_StepForward(int32_t port) { return OnPort(port, [](Port& p) { return p.Step(1); }); }
int32_t VDL_StepBackward(int32_t port) { return OnPort(port, [](Port& p) { return p.Step(-1); }); }

int32_t VDL_SeekPlayedTime(int32_t port, int32_t milliseconds)
{
    return OnPort(port, [&](Port& p) { return p.SeekPlayed(static_cast<double>(milliseconds)); });
}

int32_t VDL_SeekWallClock(int32_t port, int32_t year, int32_t month, int32_t day, int32_t hour,
                          int32_t minute, int32_t second)
{
    return OnPort(port, [&](Port& p) {
        if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23
            || minute < 0 || minute > 59 || second < 0 || second > 60)
            return int(VDL_ERR_BAD_ARGUMENT);
        struct tm local = {};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        local.tm_isdst = -1;
        const time_t utc = mktime(&local);
        if (utc == static_cast<time_t>(-1))
            return int(VDL_ERR_BAD_ARGUMENT);
        return p.SeekWallClock(static_cast<int64_t>(utc) * 1000);
    });
}

int32_t VDL_SeekKeyframeWallClock(int32_t port, int64_t utcMillis)
{
    return OnPort(port, [&](Port& p) { return p.SeekKeyframeWallClock(utcMillis); });
}

int32_t VDL_GetPlayedSeconds(int32_t port)
{
    VDL_FrameInfo info = {};
    if (!OnPort(port, [&](Port& p) { return p.GetFrameInfo(&info); }))
        return -1;
    return static_cast<int32_t>(info.playedMillis / 1000);
}

int32_t VDL_GetPlayedMillis(int32_t port)
{
    VDL_FrameInfo info = {};
    if (!OnPort(port, [&](Port& p) { return p.GetFrameInfo(&info); }))
        return -1;
    return static_cast<int32_t>(info.playedMillis);
}

uint32_t VDL_GetFrameTime(int32_t port)
{
    VDL_FrameInfo info = {};
    if (!OnPort(port, [&](Port& p) { return p.GetFrameInfo(&info); }))
        return 0;
    return info.packedTime;
}

int32_t VDL_GetFrameClock(int32_t port, VDL_Clock* clock)
{
    return OnPort(port, [&](Port& p) {
        if (!clock)
            return int(VDL_ERR_BAD_ARGUMENT);
        VDL_FrameInfo info = {};
        const int r = p.GetFrameInfo(&info);
        if (r == VDL_ERR_NONE)
            *clock = info.clock;
        return r;
    });
}

int32_t VDL_SoundOn(int32_t port) { return OnPort(port, [](Port& p) { return p.SetSound(true); }); }
int32_t VDL_SoundOff(int32_t port) { return OnPort(port, [](Port& p) { return p.SetSound(false); }); }

int32_t VDL_SetVolume(int32_t port, int32_t volume)
{
    return OnPort(port, [&](Port& p) { return p.SetVolume(volume); });
}

int32_t VDL_EnableOverlays(int32_t port, int32_t)
{
    // Our streams carry no overlays: accepted, nothing to draw.
    return OnPort(port, [](Port&) { return int(VDL_ERR_NONE); });
}

int32_t VDL_GetPictureSize(int32_t port, int32_t* width, int32_t* height)
{
    return OnPort(port, [&](Port& p) { return p.GetPictureSize(width, height); });
}

int32_t VDL_GetBmp(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used)
{
    return OnPort(port, [&](Port& p) { return p.GetBmp(buffer, size, used, nullptr); });
}

int32_t VDL_GetBmpAndFrame(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used, VDL_FrameInfo* info)
{
    return OnPort(port, [&](Port& p) { return p.GetBmp(buffer, size, used, info); });
}

int32_t VDL_SetWatermarkCallback(int32_t port, VDL_WatermarkCallback callback, void* user)
{
    return OnPort(port, [&](Port& p) { return p.SetWatermarkCallback(callback, user); });
}

int32_t VDL_GetWatermarkStatus(int32_t port, VDL_WatermarkStatusBlock* status)
{
    return OnPort(port, [&](Port& p) {
        if (!status)
            return static_cast<int>(VDL_ERR_BAD_ARGUMENT);
        *status = p.WatermarkStatus();
        return static_cast<int>(VDL_ERR_NONE);
    });
}

int32_t VDL_ScanWatermark(const char* path, int32_t stream, const char* key, int32_t keyBits,
                          int64_t originUtcSeconds, VDL_WatermarkStatusBlock* status,
                          VDL_WatermarkCallback onFailure, void* user)
{
    if (!path || (key && keyBits != 128))
        return Result(VDL_ERR_BAD_ARGUMENT);
    const std::string keyText = key ? std::string(key, strnlen(key, 16)) : std::string();
    return Result(ScanWatermark(path, stream, keyText, originUtcSeconds, status, onFailure, user));
}

int32_t VDL_DewarpEnable(int32_t port)
{
    return OnDewarp(port, [](DewarpSet& d) { return d.Enable(); });
}

int32_t VDL_DewarpDisable(int32_t port)
{
    return OnDewarp(port, [](DewarpSet& d) { return d.Disable(); });
}

int32_t VDL_DewarpOpenView(int32_t port, int32_t* subPort, int32_t placement, int32_t viewMode)
{
    return OnDewarp(port, [&](DewarpSet& d) { return d.Open(placement, viewMode, subPort); });
}

int32_t VDL_DewarpCloseView(int32_t port, int32_t subPort)
{
    return OnDewarp(port, [&](DewarpSet& d) { return d.Close(subPort); });
}

int32_t VDL_DewarpGetParams(int32_t port, int32_t subPort, void* params)
{
    return OnPort(port, [&](Port& p) { return p.Dewarp().GetParams(subPort, static_cast<VDL_DewarpParams*>(params)); });
}

int32_t VDL_DewarpSetParams(int32_t port, int32_t subPort, const void* params)
{
    if (!params)
        return OnPort(port, [](Port&) { return int(VDL_ERR_BAD_ARGUMENT); });
    VDL_DewarpParams block;
    std::memcpy(&block, params, sizeof block);
    return OnDewarp(port, [&](DewarpSet& d) { return d.SetParams(subPort, block); });
}

int32_t VDL_DewarpSetWindow(int32_t port, int32_t subPort, void* window)
{
    return OnDewarp(port, [&](DewarpSet& d) { return d.SetSurface(subPort, static_cast<const VDL_Surface*>(window)); });
}

int32_t VDL_DewarpSetOutlineMode(int32_t port, int32_t subPort, int32_t mode)
{
    return OnDewarp(port, [&](DewarpSet& d) { return d.SetOutlineMode(subPort, mode); });
}

int32_t VDL_DewarpViewAt(int32_t port, int32_t subPort, float x, float y)
{
    int32_t found = 0;
    OnPort(port, [&](Port& p) { return p.Dewarp().ViewAt(subPort, x, y, &found); });
    return found;
}

int32_t VDL_DewarpMapDrag(int32_t port, int32_t target, int32_t source, float x, float y, float x0, float y0,
                          float x1, float y1, float* outX, float* outY)
{
    if (!outX || !outY)
        return OnPort(port, [](Port&) { return int(VDL_ERR_BAD_ARGUMENT); });
    return OnPort(port, [&](Port& p) {
        double ox = 0.0, oy = 0.0;
        const int code = p.Dewarp().MapDrag(target, source, x, y, x0, y0, x1, y1, &ox, &oy);
        if (code == VDL_ERR_NONE) {
            *outX = static_cast<float>(ox);
            *outY = static_cast<float>(oy);
        }
        return code;
    });
}

int32_t VDL_GetLastError(int32_t port)
{
    if (std::shared_ptr<Port> p = PortTable::Instance().Find(port))
        return p->LastError();
    return t_lastError;
}

const char* VDL_GetErrorText(int32_t code)
{
    if (code < 0 || code >= VDL_ERR_COUNT_)
        return "Unknown error";
    return kErrorTexts[code];
}

int32_t VDL_SetSurface(int32_t port, const VDL_Surface* surface)
{
    return OnPort(port, [&](Port& p) { return p.SetSurface(surface); });
}

int32_t VDL_SetSurfaceView(int32_t port, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH, int32_t outW,
                           int32_t outH)
{
    if (port > 0 && (port >> 16) != 0) {
        // VDL_DEWARP_VIEW(port, subPort): a dewarp view's size.
        const int32_t subPort = port >> 16;
        return OnDewarp(port & 0xFFFF, [&](DewarpSet& d) { return d.SetSize(subPort, outW, outH); });
    }
    return OnPort(port, [&](Port& p) { return p.SetSurfaceView(SurfaceView{srcX, srcY, srcW, srcH, outW, outH}); });
}

int32_t VDL_SelectStream(int32_t port, int32_t index)
{
    return OnPort(port, [&](Port& p) { return p.SelectStream(index); });
}

int32_t VDL_SetStreamRegion(int32_t port, int64_t endOffset)
{
    return OnPort(port, [&](Port& p) { return p.SetStreamRegion(endOffset); });
}

int32_t VDL_SetWallClockOrigin(int32_t port, int64_t utcSeconds)
{
    return OnPort(port, [&](Port& p) { return p.SetWallClockOrigin(utcSeconds); });
}

int32_t VDL_FollowPort(int32_t port, int32_t leader)
{
    std::shared_ptr<Port> leaderPort;
    if (leader != -1) {
        leaderPort = PortTable::Instance().Find(leader);
        if (!leaderPort && PortTable::Instance().Find(port))
            return OnPort(port, [](Port&) { return int(VDL_ERR_FOLLOW); });
    }
    return OnPort(port, [&](Port& p) { return p.Follow(leaderPort); });
}

int32_t VDL_SetFollowOffset(int32_t port, int32_t offsetMillis)
{
    return OnPort(port, [&](Port& p) { return p.SetFollowOffset(offsetMillis); });
}

int32_t VDL_GetStreamInfo(int32_t port, VDL_StreamInfo* info)
{
    return OnPort(port, [&](Port& p) { return p.GetStreamInfo(info); });
}

int32_t VDL_GetStats(int32_t port, VDL_Stats* stats)
{
    return OnPort(port, [&](Port& p) { return p.GetStats(stats); });
}

int32_t VDL_GetFrameInfo(int32_t port, VDL_FrameInfo* info)
{
    return OnPort(port, [&](Port& p) { return p.GetFrameInfo(info); });
}

int32_t VDL_SetDecoderThreads(int32_t port, int32_t threads)
{
    return OnPort(port, [&](Port& p) { return p.SetDecoderThreads(threads); });
}

int32_t VDL_SetTimeSource(int32_t port, VDL_TimeSource nowMicros, void* user)
{
    return OnPort(port, [&](Port& p) { return p.SetTimeSource(TimeSource{nowMicros, user}); });
}

int32_t VDL_GetSpeed(int32_t port, int32_t* speedTimes16)
{
    return OnPort(port, [&](Port& p) { return p.GetSpeed(speedTimes16); });
}

void VDL_SetLogCallback(VDL_LogCallback callback, void* user)
{
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_logCallback = callback;
        g_logUser = user;
    }
    if (callback)
        av_log_set_callback(&AvLog);
    else
        av_log_set_callback(&av_log_default_callback);
}

} // extern "C"
