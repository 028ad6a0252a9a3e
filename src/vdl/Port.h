#pragma once

#include "DewarpSet.h"
#include "PlayClock.h"
#include "PortEngine.h"
#include "SurfaceView.h"
#include "vdl/vdl.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class KeyframeIndex;

// One decoder port: an open stream region, its selected video stream, a presentation clock and
// the thread that decodes and presents. Calls come from the player's thread; they change the
// transport under the port's mutex and wake the port's thread, and wait for it only where the
// answer depends on decoding (seek, step, surface swap, stop). Every method returns VDL_ERR_*.
class Port : public std::enable_shared_from_this<Port> {
public:
    explicit Port(int number);
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    int Number() const { return m_number; }
    // Stops the threads; the port must not be used afterwards.
    void Shutdown();

    int SetIndexReadyCallback(VDL_IndexReadyCallback callback, void* user);
    int SetStreamKey(const char* key, int bits);
    int SelectStream(int index);
    int SetStreamRegion(int64_t end);
    int SetWallClockOrigin(int64_t utcSeconds);
    int SetWatermarkCallback(VDL_WatermarkCallback callback, void* user);
    VDL_WatermarkStatusBlock WatermarkStatus() const { return m_watermark.Status(); }
    int SetDecoderThreads(int threads);
    int SetTimeSource(const TimeSource& source);
    int OpenFile(const char* path);

    int Play(const VDL_Surface* surface);
    int Pause(bool pause);
    int Stop();
    int Faster();
    int Slower();
    int PlayBackward();
    int Step(int direction);
    int SeekPlayed(double ms);
    int SeekWallClock(int64_t utcMillis);
    // The keyframe at or before the time, shown at once (scrubbing).
    int SeekKeyframeWallClock(int64_t utcMillis);
    int SetSurface(const VDL_Surface* surface);
    int SetSurfaceView(const SurfaceView& view);
    int Follow(const std::shared_ptr<Port>& leader);
    // While following: present the leader's wall-clock time plus this offset (ms, either sign).
    int SetFollowOffset(int32_t offsetMillis);
    int SetSound(bool on);
    int SetVolume(int volume);

    int GetFrameInfo(VDL_FrameInfo* info);
    int GetStreamInfo(VDL_StreamInfo* info);
    int GetStats(VDL_Stats* stats);
    int GetPictureSize(int32_t* width, int32_t* height);
    int GetBmp(uint8_t* buffer, uint32_t size, uint32_t* used, VDL_FrameInfo* info);
    int GetSpeed(int32_t* speedTimes16);
    int GetTimeRange(uint32_t* start, uint32_t* stop, uint32_t* durationSeconds);

    // The leader's side of following: its clock in wall-clock ms and its rate.
    bool LeaderClock(double* wallMillis, double* rate, bool* isFollower);
    // A port that follows this one; after a seek or a start the leader's clock waits (at most
    // kFollowerWait) until every follower shows the frame of its instant.
    void AddFollower(const std::weak_ptr<Port>& follower);
    // The follower's side: whether it follows that leader and shows the frame of the leader's
    // wall-clock time plus its offset (an instant outside its recording has none to wait for).
    bool ShowsLeaderInstant(const Port* leader, double leaderWallMillis);
    static constexpr auto kFollowerWait = std::chrono::milliseconds(300);

    // The port's dewarp views; after changing them, DewarpChanged wakes the port's thread (a
    // paused port shows the frame on screen again).
    DewarpSet& Dewarp() { return *m_dewarp; }
    void DewarpChanged();

    int LastError() const { return m_lastError; }
    void SetLastError(int code) { m_lastError = code; }

    // Local calendar fields of a wall-clock instant, and their packed form.
    static VDL_Clock LocalClock(int64_t utcMillis);
    static uint32_t Pack(const VDL_Clock& clock);
    static uint32_t PackLocal(int64_t utcMillis) { return Pack(LocalClock(utcMillis)); }

private:
    enum class RequestKind { None, Seek, Step, Surface, Stop, Wake };
    struct Request {
        RequestKind kind = RequestKind::None;
        double ms = 0.0;
        bool keyframe = false; // a seek to the keyframe at or before ms
        int direction = 0;
        VDL_Surface surface = {};
    };

    int SeekTo(double ms, bool keyframe);
    // Hands a request to the port's thread and waits for its answer.
    int Submit(const Request& request);
    void Run();
    // Under m_mutex: what the engine is to do now, and what it has learnt of the stream's end.
    PortEngine::Snapshot TakeSnapshot(PlayClock::TimePoint now) const;
    void TakeEnd(const PortEngine::Published& report);
    void ApplyRate(PlayClock::TimePoint now); // under m_mutex
    // Under m_mutex: a leader's clock stands still until its followers are at its instant.
    void BeginHold(PlayClock::TimePoint now);
    // On the port's thread, with lock held on entry and exit (released while asking followers).
    void CheckHold(std::unique_lock<std::mutex>& lock);
    // Under m_mutex, after every change of the clock: the pictures waiting follow it.
    void ClockChanged();
    double SpeedFactor() const { return m_speedStep >= 0 ? double(1 << m_speedStep) : 1.0 / double(1 << -m_speedStep); }
    int CheckTransport() const; // under m_mutex: open and not following
    void FillFrameInfo(double playedMs, int64_t frameIndex, VDL_FrameInfo* info) const;
    void OnIndexReady();

    // Fixed at construction.
    const int m_number;
    // Set by every call through the C interface.
    std::atomic<int> m_lastError{VDL_ERR_NONE};

    // Guards every field below that is not marked otherwise: callers change them, the port's
    // thread reads them into a Snapshot for each piece of work.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    bool m_quit = false;
    bool m_open = false;
    std::thread m_thread;

    // Set before the file is opened.
    VDL_IndexReadyCallback m_indexCallback = nullptr;
    void* m_indexUser = nullptr;
    std::string m_key;
    int m_streamOrdinal = 0;
    int64_t m_regionEnd = 0;
    int m_threads = 0;
    std::string m_path;

    // Stream facts, fixed at open (the index and the engine refine the end).
    VDL_StreamInfo m_info = {};
    bool m_haveCreationTime = false;
    int64_t m_originMillis = 0; // may change at any time while there is no creation time

    // Transport.
    PlayClock m_clock;
    bool m_stopped = true;
    bool m_paused = true;
    int m_direction = 1;
    int m_speedStep = 0; // speed = 2^step, -4..4
    bool m_soundOn = false;
    int m_volume = 0x7FFF;
    VDL_Surface m_surface = {}; // present null: none attached
    SurfaceView m_view;
    uint64_t m_viewSerial = 0;
    mutable WatermarkWatch m_watermark; // its own lock: never taken under m_mutex
    std::weak_ptr<Port> m_leader;
    bool m_following = false;
    int32_t m_followOffsetMillis = 0;
    // The leader's side: its followers (they may have left or gone), and the hold after a seek
    // or start: the rate to resume with and when to resume whatever the followers show.
    std::vector<std::weak_ptr<Port>> m_followers;
    bool m_holding = false;
    uint64_t m_holdId = 0;
    double m_heldRate = 0.0;
    PlayClock::TimePoint m_holdDeadline;
    uint64_t m_serial = 0;
    uint64_t m_roomSignals = 0; // the picture queue made room

    // Requests that wait for the port's thread.
    Request m_request;
    uint64_t m_requestId = 0;
    uint64_t m_doneId = 0;
    int m_requestResult = VDL_ERR_NONE;

    // Its own locks; outlives the engine, whose threads render into it.
    const std::unique_ptr<DewarpSet> m_dewarp;

    // The index scans on its own thread; the engine works on the port's thread only, and what it
    // publishes has a mutex of its own (taken after m_mutex, never before it).
    std::unique_ptr<KeyframeIndex> m_index;
    std::unique_ptr<PortEngine> m_engine;
};
