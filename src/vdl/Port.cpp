#include "Port.h"

#include "KeyframeIndex.h"
#include "PortEngine.h"
#include "StreamRegion.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <openssl/sha.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr auto kAnswerTimeout = std::chrono::seconds(10);
// The watermark seal key when no stream key was set on the port.
constexpr char kDefaultStreamKey[] = "qa_halyards_5062";
constexpr int kMaxSpeedStep = 4;
constexpr int kMaxViewEdge = 16384;

// Ports with a file open, for the decoder thread choice: on two cores, many ports decode best
// with one thread each, a lone port seeking or stepping with two.
std::atomic<int> g_openPorts{0};

std::string Hex(const uint8_t* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

} // namespace

Port::Port(int number)
    : m_number(number), m_dewarp(std::make_unique<DewarpSet>()), m_index(std::make_unique<KeyframeIndex>())
{
}

void Port::DewarpChanged()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake.notify_all();
}

namespace {
// The surface of a port whose only surfaces are its dewarp views: the port decodes and presents
// for them, its own picture goes nowhere.
void PresentNowhere(void*, const VDL_Picture*) {}
} // namespace

Port::~Port()
{
    Shutdown();
}

void Port::Shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_done.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_index)
        m_index->Cancel();
    m_engine.reset();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open) {
        m_open = false;
        --g_openPorts;
    }
}

VDL_Clock Port::LocalClock(int64_t utcMillis)
{
    const time_t seconds = static_cast<time_t>(std::floor(utcMillis / 1000.0));
    struct tm local = {};
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
            static_cast<int32_t>(((utcMillis % 1000) + 1000) % 1000)};
}

uint32_t Port::Pack(const VDL_Clock& c)
{
    return VDL_PackTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
}

int Port::SetIndexReadyCallback(VDL_IndexReadyCallback callback, void* user)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_indexCallback = callback;
    m_indexUser = user;
    return VDL_ERR_NONE;
}

int Port::SetStreamKey(const char* key, int bits)
{
    if (!key || bits != 128)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return VDL_ERR_ALREADY_OPEN;
    m_key.assign(key, strnlen(key, 16));
    if (m_key.size() != 16) {
        m_key.clear();
        return VDL_ERR_BAD_ARGUMENT;
    }
    return VDL_ERR_NONE;
}

int Port::SelectStream(int index)
{
    if (index < 0)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return VDL_ERR_ALREADY_OPEN;
    m_streamOrdinal = index;
    return VDL_ERR_NONE;
}

int Port::SetStreamRegion(int64_t end)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return VDL_ERR_ALREADY_OPEN;
    m_regionEnd = end;
    return VDL_ERR_NONE;
}

int Port::SetWallClockOrigin(int64_t utcSeconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_haveCreationTime) {
        m_originMillis = utcSeconds * 1000;
        m_info.wallClockOriginMillis = m_originMillis;
        ClockChanged();
    }
    return VDL_ERR_NONE;
}

int Port::SetWatermarkCallback(VDL_WatermarkCallback callback, void* user)
{
    // Not under m_mutex: it waits for the port's thread, which takes m_mutex.
    m_watermark.SetCallback(callback, user);
    return VDL_ERR_NONE;
}

int Port::SetTimeSource(const TimeSource& source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return VDL_ERR_ALREADY_OPEN;
    m_clock = PlayClock(source);
    return VDL_ERR_NONE;
}

int Port::SetDecoderThreads(int threads)
{
    if (threads < 0 || threads > 16)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return VDL_ERR_ALREADY_OPEN;
    m_threads = threads;
    return VDL_ERR_NONE;
}

int Port::OpenFile(const char* path)
{
    if (!path || !*path)
        return VDL_ERR_BAD_ARGUMENT;
    std::string key;
    int ordinal;
    int64_t regionEnd;
    int threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_open)
            return VDL_ERR_ALREADY_OPEN;
        key = m_key;
        ordinal = m_streamOrdinal;
        regionEnd = m_regionEnd;
        threads = m_threads > 0 ? m_threads : (g_openPorts.load() < 2 ? 2 : 1);
    }
    const std::string file(path);
    if (regionEnd <= 0)
        regionEnd = StreamRegion::FindEnd(file);
    if (regionEnd <= 0)
        return VDL_ERR_FILE_OPEN;

    // An encrypted MP4 names its key by id: the first 16 bytes of SHA-256 of the key. FFmpeg
    // would decode garbage with a wrong key, so the key is checked before anything plays.
    std::string keyHex;
    uint8_t keyId[16];
    const bool encrypted = StreamRegion::FindMp4KeyId(file, regionEnd, keyId);
    if (encrypted) {
        if (key.empty())
            return VDL_ERR_KEY_MISSING;
        uint8_t digest[SHA256_DIGEST_LENGTH];
        SHA256(reinterpret_cast<const uint8_t*>(key.data()), key.size(), digest);
        if (std::memcmp(digest, keyId, 16) != 0)
            return VDL_ERR_KEY_WRONG;
        keyHex = Hex(reinterpret_cast<const uint8_t*>(key.data()), key.size());
    }
    uint8_t sealKey[16];
    std::memcpy(sealKey, key.empty() ? kDefaultStreamKey : key.data(), 16);

    // The picture queue wakes the port's thread when a picture has left it: room for the next.
    auto engine = std::make_unique<PortEngine>(m_number, *m_index, m_dewarp.get(), [this] {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_roomSignals;
        m_wake.notify_all();
    });
    VDL_StreamInfo info = {};
    int64_t creationMs = -1;
    const int r = engine->Open(file, regionEnd, ordinal, keyHex, threads, sealKey, &info, &creationMs);
    if (r != VDL_ERR_NONE)
        return r;
    // Origin of the wall clock: the container's creation_time, else the tag's start time.
    const bool haveCreation = creationMs >= 0;
    const int64_t originMs = creationMs;
    info.encrypted = encrypted ? 1 : 0;
    info.selectedStream = ordinal;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (haveCreation) {
            m_haveCreationTime = true;
            m_originMillis = originMs;
        }
        info.wallClockOriginMillis = m_originMillis;
        m_info = info;
        m_dewarp->SetFrameSize(info.width, info.height);
        m_path = file;
        m_engine = std::move(engine);
        m_open = true;
        ++g_openPorts;
        m_stopped = true;
        m_paused = true;
        m_direction = 1;
        m_speedStep = 0;
        const auto now = m_clock.Now();
        m_clock.SetRate(0.0, now);
        m_clock.SetPosition(0.0, now); // played time 0 is the first frame
        if (info.durationMillis > 0)
            m_clock.SetLimit(static_cast<double>(info.durationMillis), now);
        ClockChanged();
    }
    m_index->Start(file, regionEnd, ordinal, keyHex, [this] { OnIndexReady(); });
    m_thread = std::thread(&Port::Run, this);
    return VDL_ERR_NONE;
}

void Port::OnIndexReady()
{
    VDL_IndexReadyCallback callback;
    void* user;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto& frames = m_index->Frames();
        m_info.frameCount = static_cast<int64_t>(frames.size());
        m_info.indexReady = 1;
        // The last frame is known exactly now: the time range and the clock's end follow it.
        if (m_engine && !frames.empty()) {
            const double lastMs = m_engine->MsOfPts(frames.back());
            m_info.durationMillis = PortEngine::DurationOf(lastMs);
            m_clock.SetLimit(lastMs, m_clock.Now());
            ClockChanged();
        }
        callback = m_indexCallback;
        user = m_indexUser;
    }
    if (callback)
        callback(m_number, user);
}

int Port::CheckTransport() const
{
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    if (m_following)
        return VDL_ERR_WRONG_STATE;
    return VDL_ERR_NONE;
}

void Port::ApplyRate(PlayClock::TimePoint now)
{
    const double rate = m_paused || m_stopped ? 0.0 : m_direction * SpeedFactor();
    const bool starts = m_clock.Rate() == 0.0 && rate != 0.0;
    m_holding = false;
    m_clock.SetRate(rate, now);
    if (starts)
        BeginHold(now);
    ClockChanged();
    ++m_serial;
    m_wake.notify_all();
}

void Port::BeginHold(PlayClock::TimePoint now)
{
    std::erase_if(m_followers, [](const std::weak_ptr<Port>& f) { return f.expired(); });
    if (m_followers.empty() || m_clock.Rate() == 0.0)
        return;
    m_heldRate = m_clock.Rate();
    m_clock.SetRate(0.0, now);
    m_holding = true;
    ++m_holdId;
    m_holdDeadline = now + kFollowerWait;
}

void Port::CheckHold(std::unique_lock<std::mutex>& lock)
{
    if (!m_holding)
        return;
    const uint64_t hold = m_holdId;
    bool release = m_clock.Now() >= m_holdDeadline;
    if (!release) {
        std::vector<std::shared_ptr<Port>> followers;
        for (const auto& f : m_followers) {
            if (auto port = f.lock())
                followers.push_back(std::move(port));
        }
        const double wall = static_cast<double>(m_originMillis) + m_clock.Position(m_clock.Now());
        // Never under our own lock: a follower takes its lock and, on its thread, ours.
        lock.unlock();
        release = std::all_of(followers.begin(), followers.end(),
                              [&](const std::shared_ptr<Port>& f) { return f->ShowsLeaderInstant(this, wall); });
        followers.clear();
        lock.lock();
    }
    if (release && m_holding && m_holdId == hold) {
        m_holding = false;
        m_clock.SetRate(m_heldRate, m_clock.Now());
        ClockChanged();
        ++m_serial;
    }
}

void Port::AddFollower(const std::weak_ptr<Port>& follower)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::erase_if(m_followers, [&](const std::weak_ptr<Port>& f) {
        return f.expired() || (!f.owner_before(follower) && !follower.owner_before(f));
    });
    m_followers.push_back(follower);
}

bool Port::ShowsLeaderInstant(const Port* leader, double leaderWallMillis)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open || !m_following || m_leader.lock().get() != leader)
        return true;
    const PortEngine::Published report = m_engine->Report();
    const double target = leaderWallMillis + m_followOffsetMillis - static_cast<double>(m_originMillis);
    if (target < 0.0 || (report.lastMs >= 0.0 && target > report.lastMs))
        return true;
    if (!report.haveScreen)
        return false;
    const double frameMs = m_info.frameRate > 0.0 ? 1000.0 / m_info.frameRate : 40.0;
    return std::abs(report.screenMs - target) <= frameMs;
}

void Port::ClockChanged()
{
    if (!m_engine)
        return;
    m_engine->SetOrigin(m_originMillis);
    if (!m_following)
        m_engine->SetClock(m_clock);
}

int Port::Submit(const Request& request)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_thread.joinable() || m_quit)
        return VDL_ERR_NOT_OPEN;
    if (std::this_thread::get_id() == m_thread.get_id())
        return VDL_ERR_WRONG_STATE; // from inside a callback: waiting would deadlock
    const uint64_t id = ++m_requestId;
    m_request = request;
    m_wake.notify_all();
    if (!m_done.wait_for(lock, kAnswerTimeout, [&] { return m_doneId >= id || m_quit; }))
        return VDL_ERR_TIMEOUT;
    return m_quit ? VDL_ERR_NOT_OPEN : m_requestResult;
}

int Port::Play(const VDL_Surface* surface)
{
    if (surface) {
        const int r = SetSurface(surface);
        if (r != VDL_ERR_NONE)
            return r;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const int r = CheckTransport())
        return r;
    const auto now = m_clock.Now();
    if (m_stopped)
        m_clock.SetPosition(0.0, now);
    m_stopped = false;
    m_paused = false;
    m_direction = 1;
    m_speedStep = 0;
    ApplyRate(now);
    return VDL_ERR_NONE;
}

int Port::Pause(bool pause)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const int r = CheckTransport())
        return r;
    if (m_stopped && !pause)
        return VDL_ERR_WRONG_STATE;
    m_paused = pause;
    ApplyRate(m_clock.Now());
    return VDL_ERR_NONE;
}

int Port::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return VDL_ERR_NOT_OPEN;
        m_following = false;
        m_leader.reset();
        m_stopped = true;
        m_paused = true;
        m_direction = 1;
        m_speedStep = 0;
        const auto now = m_clock.Now();
        ApplyRate(now);
        m_clock.SetPosition(0.0, now);
        ClockChanged();
    }
    Request r;
    r.kind = RequestKind::Stop;
    return Submit(r);
}

int Port::Faster()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const int r = CheckTransport())
        return r;
    if (m_speedStep >= kMaxSpeedStep)
        return VDL_ERR_SPEED_LIMIT;
    ++m_speedStep;
    ApplyRate(m_clock.Now());
    return VDL_ERR_NONE;
}

int Port::Slower()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const int r = CheckTransport())
        return r;
    if (m_speedStep <= -kMaxSpeedStep)
        return VDL_ERR_SPEED_LIMIT;
    --m_speedStep;
    ApplyRate(m_clock.Now());
    return VDL_ERR_NONE;
}

int Port::PlayBackward()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const int r = CheckTransport())
        return r;
    const auto now = m_clock.Now();
    if (m_stopped)
        m_clock.SetPosition(0.0, now);
    m_stopped = false;
    m_paused = false;
    m_direction = -1;
    m_speedStep = 0;
    ApplyRate(now);
    return VDL_ERR_NONE;
}

int Port::Step(int direction)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const int r = CheckTransport())
            return r;
        m_stopped = false;
        m_paused = true;
        ApplyRate(m_clock.Now());
    }
    Request r;
    r.kind = RequestKind::Step;
    r.direction = direction;
    return Submit(r);
}

int Port::SeekPlayed(double ms)
{
    return SeekTo(ms, false);
}

int Port::SeekTo(double ms, bool keyframe)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const int r = CheckTransport())
            return r;
        if (m_stopped) {
            m_stopped = false; // a seek shows its frame; the port stays paused there
            m_paused = true;
            ApplyRate(m_clock.Now());
        }
    }
    Request r;
    r.kind = RequestKind::Seek;
    r.ms = ms;
    r.keyframe = keyframe;
    return Submit(r);
}

int Port::SeekWallClock(int64_t utcMillis)
{
    int64_t origin;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        origin = m_originMillis;
    }
    return SeekPlayed(static_cast<double>(utcMillis - origin));
}

int Port::SeekKeyframeWallClock(int64_t utcMillis)
{
    int64_t origin;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        origin = m_originMillis;
    }
    return SeekTo(static_cast<double>(utcMillis - origin), true);
}

int Port::SetSurface(const VDL_Surface* surface)
{
    if (surface && !surface->present)
        return VDL_ERR_BAD_ARGUMENT;
    const VDL_Surface wanted = surface ? *surface : VDL_Surface{};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable()) {
            m_surface = wanted; // not playing yet: nothing to wait for
            return VDL_ERR_NONE;
        }
    }
    Request r;
    r.kind = RequestKind::Surface;
    r.surface = wanted;
    return Submit(r);
}

int Port::SetSurfaceView(const SurfaceView& view)
{
    const bool reset = view.width == 0 && view.height == 0 && view.outWidth == 0 && view.outHeight == 0;
    if (!reset
        && (view.x < 0 || view.y < 0 || view.width <= 0 || view.height <= 0 || view.outWidth <= 0 || view.outHeight <= 0
            || view.outWidth > kMaxViewEdge || view.outHeight > kMaxViewEdge))
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!reset && m_open && m_info.width > 0 && m_info.height > 0
        && (int64_t{view.x} + view.width > m_info.width || int64_t{view.y} + view.height > m_info.height))
        return VDL_ERR_BAD_ARGUMENT;
    m_view = reset ? SurfaceView{} : view;
    ++m_viewSerial;
    m_wake.notify_all();
    return VDL_ERR_NONE;
}

int Port::Follow(const std::shared_ptr<Port>& leader)
{
    if (leader) {
        double wall;
        double rate;
        bool leaderFollows;
        if (leader.get() == this || !leader->LeaderClock(&wall, &rate, &leaderFollows) || leaderFollows)
            return VDL_ERR_FOLLOW;
    }
    // Letting go: where the leader has brought us, which the frame on screen may not show yet
    // (a follower still decoding its way to the leader's instant after a seek).
    double leaderWall = 0.0;
    bool haveLeaderWall = false;
    if (!leader) {
        std::shared_ptr<Port> previous;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            previous = m_following ? m_leader.lock() : nullptr;
        }
        double rate = 0.0;
        bool leaderFollows = false;
        haveLeaderWall = previous && previous->LeaderClock(&leaderWall, &rate, &leaderFollows);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return VDL_ERR_NOT_OPEN;
        const auto now = m_clock.Now();
        if (leader) {
            m_leader = leader;
            m_following = true;
            m_stopped = false;
        } else if (m_following) {
            m_following = false;
            m_leader.reset();
            m_paused = true;
            const PortEngine::Published report = m_engine->Report();
            double position = report.haveScreen ? report.screenMs : m_clock.Position(now);
            if (haveLeaderWall) {
                const double target = leaderWall + m_followOffsetMillis - static_cast<double>(m_originMillis);
                const double limit = m_clock.Limit();
                if (target >= 0.0 && (limit <= 0.0 || target <= limit))
                    position = target;
            }
            m_clock.SetPosition(position, now);
        }
        ApplyRate(now);
    }
    // Outside our lock: the leader's is never taken under a follower's.
    if (leader)
        leader->AddFollower(weak_from_this());
    return VDL_ERR_NONE;
}

int Port::SetFollowOffset(int32_t offsetMillis)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    m_followOffsetMillis = offsetMillis;
    ++m_serial;
    m_wake.notify_all();
    return VDL_ERR_NONE;
}

bool Port::LeaderClock(double* wallMillis, double* rate, bool* isFollower)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return false;
    const auto now = m_clock.Now();
    // The leader's clock, not the frame it shows: a follower decodes ahead against a clock that
    // only moves on, where the frame on screen lags it by up to a frame and would pull the
    // follower back onto frames it has already decoded.
    *wallMillis = static_cast<double>(m_originMillis) + m_clock.Position(now);
    *rate = m_clock.Rate();
    *isFollower = m_following;
    return true;
}

int Port::SetSound(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    m_soundOn = on;
    ApplyRate(m_clock.Now());
    return VDL_ERR_NONE;
}

int Port::SetVolume(int volume)
{
    if (volume < 0 || volume > 0xFFFF)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    m_volume = volume;
    return VDL_ERR_NONE;
}

void Port::FillFrameInfo(double playedMs, int64_t frameIndex, VDL_FrameInfo* info) const
{
    const int64_t played = static_cast<int64_t>(std::llround(playedMs));
    info->frameIndex = frameIndex;
    info->playedMillis = played;
    info->wallClockMillis = m_originMillis + played;
    info->clock = LocalClock(info->wallClockMillis);
    info->packedTime = Pack(info->clock);
}

int Port::GetFrameInfo(VDL_FrameInfo* info)
{
    if (!info)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    // With a surface: the frame on screen. Without one, nothing is decoded: the clock.
    const PortEngine::Published report = m_engine->Report();
    if (m_surface.present && report.haveScreen) {
        FillFrameInfo(report.screenMs, report.screenIndex, info);
    } else {
        const double ms = m_clock.Position(m_clock.Now());
        FillFrameInfo(ms, static_cast<int64_t>(std::llround(ms * m_info.frameRate / 1000.0)), info);
    }
    return VDL_ERR_NONE;
}

int Port::GetStreamInfo(VDL_StreamInfo* info)
{
    if (!info)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    *info = m_info;
    info->wallClockOriginMillis = m_originMillis;
    return VDL_ERR_NONE;
}

int Port::GetStats(VDL_Stats* stats)
{
    if (!stats)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    *stats = m_engine->Report().stats;
    return VDL_ERR_NONE;
}

int Port::GetPictureSize(int32_t* width, int32_t* height)
{
    if (!width || !height)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    // A damaged header may declare no size at all: that is no picture size to report.
    if (m_info.width <= 0 || m_info.height <= 0)
        return VDL_ERR_NO_PICTURE;
    *width = m_info.width;
    *height = m_info.height;
    return VDL_ERR_NONE;
}

int Port::GetBmp(uint8_t* buffer, uint32_t size, uint32_t* used, VDL_FrameInfo* info)
{
    if (!buffer && size > 0)
        return VDL_ERR_BAD_ARGUMENT;
    AVFrame* frame = av_frame_alloc();
    VDL_FrameInfo frameInfo = {};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        PortEngine::Published report;
        if (!m_open || !m_engine->ScreenFrame(frame, &report)) {
            av_frame_free(&frame);
            return m_open ? VDL_ERR_NO_PICTURE : VDL_ERR_NOT_OPEN;
        }
        FillFrameInfo(report.screenMs, report.screenIndex, &frameInfo);
    }
    const uint32_t needed = FrameConverter::BmpSize(frame->width, frame->height);
    if (used)
        *used = needed;
    if (size < needed) {
        av_frame_free(&frame);
        return VDL_ERR_BUFFER_TOO_SMALL;
    }
    FrameConverter converter;
    const bool ok = converter.Convert(frame);
    av_frame_free(&frame);
    if (!ok)
        return VDL_ERR_NO_PICTURE;
    converter.WriteBmp(buffer);
    if (info)
        *info = frameInfo;
    return VDL_ERR_NONE;
}

int Port::GetSpeed(int32_t* speedTimes16)
{
    if (!speedTimes16)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    *speedTimes16 = static_cast<int32_t>(std::lround(m_clock.Rate() * 16.0));
    return VDL_ERR_NONE;
}

int Port::GetTimeRange(uint32_t* start, uint32_t* stop, uint32_t* durationSeconds)
{
    if (!start || !stop)
        return VDL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open)
        return VDL_ERR_NOT_OPEN;
    *start = PackLocal(m_originMillis);
    *stop = PackLocal(m_originMillis + m_info.durationMillis);
    if (durationSeconds)
        *durationSeconds = static_cast<uint32_t>(m_info.durationMillis / 1000);
    return VDL_ERR_NONE;
}

PortEngine::Snapshot Port::TakeSnapshot(PlayClock::TimePoint now) const
{
    PortEngine::Snapshot s;
    s.out = PortEngine::Output{m_surface, m_view, m_viewSerial, m_dewarp->Serial()};
    if (!m_surface.present && m_dewarp->HasSurfaces()) {
        // Only views to show: the port's own picture at a token size, not converted in full.
        s.out.surface = VDL_Surface{nullptr, &PresentNowhere};
        if (m_info.width > 0 && m_info.height > 0)
            s.out.view = SurfaceView{0, 0, m_info.width, m_info.height, 16, 16};
    }
    s.stopped = m_stopped;
    s.following = m_following;
    s.clock = m_clock;
    s.position = m_clock.Position(now);
    s.rate = m_clock.Rate();
    s.originMillis = m_originMillis;
    s.soundWanted = m_soundOn && s.rate == 1.0 && !m_following;
    s.volume = m_volume;
    s.watermark = &m_watermark;
    return s;
}

void Port::TakeEnd(const PortEngine::Published& report)
{
    if (report.lastMs < 0.0 || report.lastMs == m_clock.Limit())
        return;
    m_clock.SetLimit(report.lastMs, m_clock.Now());
    ClockChanged();
    m_info.durationMillis = PortEngine::DurationOf(report.lastMs);
}

void Port::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    uint64_t handled = m_doneId;
    while (!m_quit) {
        if (m_requestId != handled) {
            const Request request = m_request;
            const uint64_t id = m_requestId;
            int result = VDL_ERR_NONE;
            if (request.kind == RequestKind::Surface) {
                m_surface = request.surface;
                lock.unlock();
                m_engine->Unshow(); // waits for a call of the old surface in progress
                lock.lock();
            } else {
                const PortEngine::Snapshot s = TakeSnapshot(m_clock.Now());
                lock.unlock();
                if (request.kind == RequestKind::Seek && request.keyframe)
                    result = m_engine->SeekKeyframe(request.ms, s);
                else if (request.kind == RequestKind::Seek)
                    result = m_engine->Seek(request.ms, s);
                else if (request.kind == RequestKind::Step)
                    result = m_engine->Step(request.direction, s);
                else if (request.kind == RequestKind::Stop)
                    m_engine->Stop();
                lock.lock();
                TakeEnd(m_engine->Report());
                // A seek or step that failed leaves the frame on screen, and the clock, as they were.
                const bool moves = request.kind == RequestKind::Seek || request.kind == RequestKind::Step;
                if (moves && result == VDL_ERR_NONE) {
                    const auto now = m_clock.Now();
                    m_clock.SetPosition(m_engine->CurrentMs(), now);
                    if (m_holding)
                        m_clock.SetRate(m_heldRate, now); // a fresh hold from here
                    m_holding = false;
                    if (request.kind == RequestKind::Seek)
                        BeginHold(now);
                }
                ClockChanged();
            }
            handled = id;
            m_doneId = id;
            m_requestResult = result;
            m_done.notify_all();
            continue;
        }
        CheckHold(lock);
        if (m_quit || m_requestId != handled)
            continue;
        const auto now = m_clock.Now();
        PortEngine::Snapshot s = TakeSnapshot(now);
        std::shared_ptr<Port> leader = m_following ? m_leader.lock() : nullptr;
        const double followOffset = m_followOffsetMillis;
        lock.unlock();
        if (s.following) {
            double wall = 0.0;
            double rate = 0.0;
            bool leaderFollows = false;
            if (leader && leader->LeaderClock(&wall, &rate, &leaderFollows)) {
                const double limit = s.clock.Limit();
                s.clock = PlayClock(s.clock.Source());
                s.clock.SetLimit(limit, now);
                s.clock.SetPosition(wall + followOffset - static_cast<double>(s.originMillis), now);
                s.clock.SetRate(rate, now);
                s.position = s.clock.Position(now);
                s.rate = rate;
            } else {
                s.rate = 0.0;
            }
        }
        leader.reset();
        auto wake = m_engine->Tick(s);
        lock.lock();
        TakeEnd(m_engine->Report());
        if (s.following && m_following) {
            const PortEngine::Published report = m_engine->Report();
            if (report.haveScreen)
                m_clock.SetPosition(report.screenMs, m_clock.Now());
        }
        const uint64_t serial = m_serial;
        const uint64_t viewSerial = m_viewSerial;
        const uint64_t room = m_roomSignals;
        const uint64_t dewarpSerial = m_dewarp->Serial();
        if (m_holding)
            wake = std::min(wake, m_clock.Now() + std::chrono::milliseconds(10));
        m_wake.wait_until(lock, m_clock.RealDeadline(wake), [&] {
            return m_quit || m_requestId != handled || m_serial != serial || m_viewSerial != viewSerial
                || m_roomSignals != room || m_dewarp->Serial() != dewarpSerial;
        });
    }
}
