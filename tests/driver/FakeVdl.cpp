#include "FakeVdl.h"

#include <cstdio>
#include <string>

namespace {

FakeVdl& F()
{
    return FakeVdl::Get();
}

std::string Args()
{
    return {};
}

template <typename T, typename... Rest>
std::string Args(T first, Rest... rest)
{
    std::string s = std::to_string(first);
    if constexpr (sizeof...(rest) > 0) {
        s += "," + Args(rest...);
    }
    return s;
}

// Records the call; false when the test wants it to fail.
template <typename... A>
bool Call(const char* name, A... args)
{
    F().calls.push_back(std::string(name) + "(" + Args(args...) + ")");
    const auto it = F().failing.find(name);
    if (it != F().failing.end()) {
        F().lastError = it->second;
        return false;
    }
    return true;
}

int32_t AcquirePort(int32_t* port)
{
    *port = 0;
    if (!Call("AcquirePort")) {
        return 0;
    }
    *port = F().nextPort++;
    return 1;
}
int32_t ReleasePort(int32_t port) { return Call("ReleasePort", port); }
int32_t SetIndexReadyCallback(int32_t port, VDL_IndexReadyCallback cb, void* user)
{
    F().indexReady = cb;
    F().indexReadyUser = user;
    return Call("SetIndexReadyCallback", port);
}
int32_t SetStreamKey(int32_t port, int32_t mode, const char* key, int32_t bits)
{
    F().lastKey = key;
    return Call("SetStreamKey", port, mode, bits);
}
int32_t OpenFile(int32_t port, const char* path)
{
    F().lastPath = path;
    return Call("OpenFile", port);
}
int32_t SyncToAudio(int32_t port, int32_t on) { return Call("SyncToAudio", port, on); }
int32_t GetFileTimeRange(int32_t port, uint32_t* start, uint32_t* stop, uint32_t* duration)
{
    *start = F().fileStart;
    *stop = F().fileStop;
    if (duration != nullptr) {
        *duration = 0;
    }
    return Call("GetFileTimeRange", port);
}
int32_t Play(int32_t port, void* window)
{
    F().lastSurface = static_cast<const VDL_Surface*>(window);
    return Call("Play", port);
}
int32_t Pause(int32_t port, int32_t on) { return Call("Pause", port, on); }
int32_t Stop(int32_t port) { return Call("Stop", port); }
int32_t Faster(int32_t port) { return Call("Faster", port); }
int32_t Slower(int32_t port) { return Call("Slower", port); }
int32_t PlayBackward(int32_t port) { return Call("PlayBackward", port); }
int32_t StepForward(int32_t port) { return Call("StepForward", port); }
int32_t StepBackward(int32_t port) { return Call("StepBackward", port); }
int32_t SeekPlayedTime(int32_t port, int32_t ms) { return Call("SeekPlayedTime", port, ms); }
int32_t SeekWallClock(int32_t port, int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi, int32_t s)
{
    return Call("SeekWallClock", port, y, mo, d, h, mi, s);
}
int32_t GetPlayedSeconds(int32_t port) { return Call("GetPlayedSeconds", port) ? F().playedSeconds : -1; }
int32_t GetPlayedMillis(int32_t port) { return Call("GetPlayedMillis", port) ? F().playedMillis : -1; }
uint32_t GetFrameTime(int32_t port) { return Call("GetFrameTime", port) ? F().frameTime : 0; }
int32_t GetFrameClock(int32_t port, VDL_Clock* clock)
{
    *clock = VDL_Clock{};
    clock->ms = F().clockMillis;
    return Call("GetFrameClock", port);
}
int32_t SoundOn(int32_t port) { return Call("SoundOn", port); }
int32_t SoundOff(int32_t port) { return Call("SoundOff", port); }
int32_t SetVolume(int32_t port, int32_t volume) { return Call("SetVolume", port, volume); }
int32_t EnableOverlays(int32_t port, int32_t on) { return Call("EnableOverlays", port, on); }
int32_t GetPictureSize(int32_t port, int32_t* w, int32_t* h)
{
    *w = F().pictureWidth;
    *h = F().pictureHeight;
    return Call("GetPictureSize", port);
}
int32_t GetBmp(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used)
{
    F().lastBmpSize = size;
    if (!Call("GetBmp", port)) {
        return 0;
    }
    const auto n = static_cast<uint32_t>(F().bmp.size());
    *used = n;
    if (n > size) {
        F().lastError = VDL_ERR_BUFFER_TOO_SMALL;
        return 0;
    }
    std::copy(F().bmp.begin(), F().bmp.end(), buffer);
    return 1;
}
int32_t SetWatermarkCallback(int32_t port, VDL_WatermarkCallback cb, void* user)
{
    F().watermark = cb;
    F().watermarkUser = user;
    return Call("SetWatermarkCallback", port);
}
int32_t GetLastError(int32_t) { return F().lastError; }
const char* GetErrorText(int32_t) { return "fake"; }
// Floats are recorded to three decimals.
std::string Fixed(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}
int32_t DewarpEnable(int32_t port) { return Call("DewarpEnable", port); }
int32_t DewarpDisable(int32_t port) { return Call("DewarpDisable", port); }
int32_t DewarpOpenView(int32_t port, int32_t* subPort, int32_t placement, int32_t mode)
{
    if (!Call("DewarpOpenView", port, placement, mode)) {
        return 0;
    }
    *subPort = F().nextSubPort++;
    F().dewarpModes[*subPort] = placement | mode;
    VDL_DewarpParams p = {};
    p.placementMode = placement | mode;
    p.zoom = 0.5f;
    F().dewarpParams[*subPort] = p;
    return 1;
}
int32_t DewarpCloseView(int32_t port, int32_t subPort) { return Call("DewarpCloseView", port, subPort); }
int32_t DewarpGetParams(int32_t port, int32_t subPort, void* params)
{
    *static_cast<VDL_DewarpParams*>(params) = F().dewarpParams[subPort];
    return Call("DewarpGetParams", port, subPort);
}
int32_t DewarpSetParams(int32_t port, int32_t subPort, const void* params)
{
    const auto& p = *static_cast<const VDL_DewarpParams*>(params);
    F().calls.push_back("DewarpSetParams(" + Args(port, subPort, p.updateKind) + "," + Fixed(p.x) + "," + Fixed(p.y) + ","
                        + Fixed(p.zoom) + "," + Fixed(p.offset) + ")");
    const auto it = F().failing.find("DewarpSetParams");
    if (it != F().failing.end()) {
        F().lastError = it->second;
        return 0;
    }
    VDL_DewarpParams& kept = F().dewarpParams[subPort];
    const int32_t placementMode = kept.placementMode;
    kept = p;
    kept.placementMode = placementMode;
    return 1;
}
int32_t DewarpSetWindow(int32_t port, int32_t subPort, void* window)
{
    F().dewarpWindows[subPort] = window;
    return Call("DewarpSetWindow", port, subPort);
}
int32_t DewarpSetOutlineMode(int32_t port, int32_t subPort, int32_t mode)
{
    return Call("DewarpSetOutlineMode", port, subPort, mode);
}
int32_t DewarpViewAt(int32_t port, int32_t subPort, float x, float y)
{
    F().calls.push_back("DewarpViewAt(" + Args(port, subPort) + "," + Fixed(x) + "," + Fixed(y) + ")");
    return F().viewAt;
}
int32_t DewarpMapDrag(int32_t port, int32_t target, int32_t source, float x, float y, float x0, float y0, float x1,
                      float y1, float* outX, float* outY)
{
    F().calls.push_back("DewarpMapDrag(" + Args(port, target, source) + "," + Fixed(x) + "," + Fixed(y) + "," + Fixed(x0)
                        + "," + Fixed(y0) + "," + Fixed(x1) + "," + Fixed(y1) + ")");
    *outX = F().dragX;
    *outY = F().dragY;
    return 1;
}

int32_t SelectStream(int32_t port, int32_t index) { return Call("SelectStream", port, index); }
int32_t SetWallClockOrigin(int32_t port, int64_t) { return Call("SetWallClockOrigin", port); }
int32_t SetSurface(int32_t port, const VDL_Surface* surface)
{
    F().lastSurface = surface;
    return Call("SetSurface", port);
}
int32_t FollowPort(int32_t port, int32_t leader) { return Call("FollowPort", port, leader); }
int32_t SetFollowOffset(int32_t port, int32_t offset) { return Call("SetFollowOffset", port, offset); }
int32_t SetSurfaceView(int32_t port, int32_t x, int32_t y, int32_t w, int32_t h, int32_t ow, int32_t oh)
{
    return Call("SetSurfaceView", port, x, y, w, h, ow, oh);
}
int32_t GetStats(int32_t port, VDL_Stats* stats)
{
    *stats = F().stats;
    return Call("GetStats", port);
}
int32_t GetWatermarkStatus(int32_t port, VDL_WatermarkStatusBlock* status)
{
    *status = F().watermarkStatus[port];
    return Call("GetWatermarkStatus", port);
}
int32_t ScanWatermark(const char*, int32_t stream, const char*, int32_t, int64_t, VDL_WatermarkStatusBlock* status,
                      VDL_WatermarkCallback, void*)
{
    *status = F().watermarkStatus[0];
    return Call("ScanWatermark", stream);
}
int32_t GetStreamInfo(int32_t port, VDL_StreamInfo* info)
{
    *info = F().streamInfo;
    return Call("GetStreamInfo", port);
}
int32_t GetBmpAndFrame(int32_t port, uint8_t* buffer, uint32_t size, uint32_t* used, VDL_FrameInfo* info)
{
    F().lastBmpSize = size;
    if (!Call("GetBmpAndFrame", port)) {
        return 0;
    }
    const auto n = static_cast<uint32_t>(F().bmp.size());
    *used = n;
    if (n > size) {
        F().lastError = VDL_ERR_BUFFER_TOO_SMALL;
        return 0;
    }
    std::copy(F().bmp.begin(), F().bmp.end(), buffer);
    *info = F().frameInfo;
    return 1;
}
int32_t GetFrameInfo(int32_t port, VDL_FrameInfo* info)
{
    *info = VDL_FrameInfo{};
    return Call("GetFrameInfo", port);
}

void SetLogCallback(VDL_LogCallback, void*)
{
    Call("SetLogCallback");
}

VdlAdapter MakeTable()
{
    VdlAdapter t;
#define PLOMERA_FAKE_ENTRY(name) t.name = &name;
    PLOMERA_VDL_CALLS(PLOMERA_FAKE_ENTRY)
#undef PLOMERA_FAKE_ENTRY
    return t;
}

} // namespace

FakeVdl& FakeVdl::Get()
{
    static FakeVdl fake;
    return fake;
}

const VdlAdapter& FakeVdl::Adapter()
{
    static const VdlAdapter table = MakeTable();
    return table;
}

void FakeVdl::Reset()
{
    *this = FakeVdl();
}

std::string FakeVdl::Calls() const
{
    std::string s;
    for (const std::string& c : calls) {
        s += (s.empty() ? "" : " ") + c;
    }
    return s;
}

bool FakeVdl::Called(const std::string& name) const
{
    for (const std::string& c : calls) {
        if (c.compare(0, name.size() + 1, name + "(") == 0) {
            return true;
        }
    }
    return false;
}
