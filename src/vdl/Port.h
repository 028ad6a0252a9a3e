#pragma once

#include "PlayClock.h"
#include "SurfaceView.h"
#include "vdl/vdl.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct AVFrame;
class KeyframeIndex;
class PortEngine;

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
    int SetDecoderThreads(int threads);
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

    int LastError() const { return m_lastError; }
    void SetLastError(int code) { m_lastError = code; }

private:
    friend class PortEngine;

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
    void ApplyRate(PlayClock::TimePoint now); // under m_mutex
    double SpeedFactor() const { return m_speedStep >= 0 ? double(1 << m_speedStep) : 1.0 / double(1 << -m_speedStep); }
    int CheckTransport() const; // under m_mutex: open and not following
    void FillFrameInfo(double playedMs, int64_t frameIndex, VDL_FrameInfo* info) const;
    void OnIndexReady();
    static uint32_t PackLocal(int64_t utcMillis);

    const int m_number;
    std::atomic<int> m_lastError{VDL_ERR_NONE};
    std::atomic<bool> m_watermarkArmed{false};
    std::atomic<bool> m_soundWanted{false}; // sound on, playing forward at 1x
    std::atomic<int> m_volumeLevel{0x7FFF};

    // Guards everything below that both threads touch.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    bool m_quit = false;
    bool m_open = false;
    std::thread m_thread;

    // Set before the file is opened.
    VDL_IndexReadyCallback m_indexCallback = nullptr;
    void* m_indexUser = nullptr;
    VDL_WatermarkCallback m_watermarkCallback = nullptr;
    void* m_watermarkUser = nullptr;
    std::string m_key;
    int m_streamOrdinal = 0;
    int64_t m_regionEnd = 0;
    int m_threads = 0;
    std::string m_path;

    // Stream facts, fixed at open (the index refines the last frame and the count).
    VDL_StreamInfo m_info = {};
    bool m_haveCreationTime = false;
    int64_t m_originMillis = 0;

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
    std::weak_ptr<Port> m_leader;
    bool m_following = false;
    uint64_t m_serial = 0;

    Request m_request;
    uint64_t m_requestId = 0;
    uint64_t m_doneId = 0;
    int m_requestResult = VDL_ERR_NONE;

    // What is on screen, published by the port's thread.
    bool m_haveScreen = false;
    double m_screenMs = 0.0;
    int64_t m_screenIndex = 0;
    AVFrame* m_screenFrame = nullptr;
    VDL_Stats m_stats = {};

    std::unique_ptr<KeyframeIndex> m_index;
    std::unique_ptr<PortEngine> m_engine;
};
