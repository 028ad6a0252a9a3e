#pragma once

#include "driver/FileDriver.h"
#include "driver/KestraneCameraData.h"
#include "driver/VdlAdapter.h"

#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class Camera;
class Device;

// The local-file driver: plays the video files of one device with the decoding library, one
// decoder port per opened camera, and keeps each video's playback state. The only code that
// calls the library. All operations run on the user-interface thread; the library's callbacks
// only set a flag or hand texts to the user interface's callback.
class KestraneDevice : public FileDriver {
public:
    static constexpr const char* kStreamKey = "qa_halyards_5062";
    static constexpr int32_t kStreamKeyBits = 128;
    static constexpr int32_t kFullVolume = 0x7FFF;
    static constexpr int kPlayedTimeSeekType = 38;

    // vdl: the table to call; null loads the decoding library on first use.
    explicit KestraneDevice(Device* device, const VdlAdapter* vdl = nullptr);
    ~KestraneDevice() override;

    void PlaybackLocalFileOpen(Video* video) override;
    void PlaybackPlay(Video* video) override;
    void PlaybackPlay(const VideoList& videos) override;
    void PlaybackStop(const VideoList& videos) override;
    // Stops the video's port and gives it back, whatever the state: a video opened but never
    // played (state 0) still holds the port its open took. Closing again, or a camera this driver
    // never opened, calls nothing. GUI thread; library failures as FalException.
    void VideoClose(Video* video) override;
    CalendarFields VideoGetTime(Video* video) override;
    int32_t VideoTime(Video* video) override;
    void PlaybackSeek(const VideoList& videos, qint64 time) override;
    void PlaybackSeek(Video* video, qint64 time) override;
    void PlaybackPause(const VideoList& videos) override;
    void PlaybackPause(Video* video) override;
    void PlaybackResume(const VideoList& videos) override;
    void PlaybackResume(Video* video) override;
    void PlaybackFramePrevious(Video* video) override;
    void PlaybackFrameNext(Video* video) override;
    void PlaybackFastForward(Video* video, float speed) override;
    void PlaybackFastForward(const VideoList& videos, float speed) override;
    void PlaybackRewind(Video* video, float speed) override;
    void PlaybackRewind(const VideoList& videos, float speed) override;
    QImage Snapshot(Video* video) override;
    void AudioInputEnable(Video* video, bool on) override;
    // The camera's sound level, 0 ... 65535, on its port (the decoder's own scale: 65535 is full).
    // A sound-on afterwards resets it to kFullVolume, so the viewer sets it again after each.
    void SetAudioVolume(Video* video, int32_t volume) override;
    void SetWatermark(Video* video, WatermarkHandler handler) override;
    void SetRenderSurface(Video* video, VDL_Surface* surface) override;
    void SetRenderView(Video* video, const QRect& source, const QSize& output) override;
    VDL_Stats GetStats(Video* video) override;
    VDL_StreamInfo GetStreamInfo(Video* video) override;
    SnapshotFrame SnapshotAndFrame(Video* video) override;
    VDL_WatermarkStatusBlock GetWatermarkStatus(Video* video) override;
    void FollowVideo(Video* video, int32_t leaderPort, int32_t offsetMillis) override;
    int32_t FollowPortOf(Video* video) override;
    bool Follows(Video* video) const;

    // Fisheye dewarp views (KestraneDewarp.cpp). A view's video finds its decoder port through
    // its root camera (the fisheye video), or its own camera when it has none.
    void ReleaseDewarpPort(Video* video) override;
    void DewarpClose(Video* video) override;
    void DewarpLayoutPlay(const VideoList& videos) override;
    void DewarpPlay(Video* video, const QString& viewMode, int32_t value1, int32_t value2) override;
    void DewarpDrag(Video* video) override;
    void DewarpHitTest(Video* video) override;
    void DewarpShowView(Video* view, const DewarpLayouts::View& setting, const QSize& size) override;
    int32_t CurrentPtzPort() const { return currentPtzPort_; }

    void PlaybackPlayLocalFile(Video* video);
    void PlaybackFastForwardLocalFile(Video* video, float speed, int32_t playedMillis);
    void PlaybackRewindLocalFile(Video* video, float speed, int32_t playedMillis);
    void ResetVideoLocalFile(int32_t port, int32_t playedMillis);

    Device* GetDevice() const { return device_; }
    const QString& StreamKey() const { return streamKey_; }
    qint64 NullTime() const { return nullTime_; }
    int32_t FileReferenceFlag() const { return fileReference_.load(); }
    // The driver's data for a camera it opened, or null.
    KestraneCameraData* CameraData(const Camera* camera) const;

    // The watermark texts of one report (Part of the watermark check; public for tests).
    static QString WatermarkText(const VDL_WatermarkReport& report);

private:
    const VdlAdapter& Vdl();
    // The table for transport calls on a port: a following port's transport calls succeed
    // without reaching the library, so state and speed step are kept while the leader moves
    // the picture.
    const VdlAdapter& VdlFor(int32_t port);
    KestraneCameraData& Data(Video* video) const;
    int32_t Port(Video* video) const;
    // The library's error rule: "SDK call failed: <what> - <last error of the port>".
    void Sdk(int32_t result, int32_t port, const char* what);
    int32_t StreamIndexFor(const Video* video) const;
    void ReleaseHeldPort(KestraneLocalFileData& file);
    // Adds the held port's watermark status to what the camera keeps, before the port goes.
    void KeepWatermark(KestraneCameraData& data);
    void PlayInto(Video* video, int32_t port);
    void LeaveSpeedPlay(Video* video, KestraneCameraData& data, int32_t port);
    void AtFirstPlayedTime(const char* operation, const VideoList& videos, float speed,
                           void (KestraneDevice::*change)(Video*, float, int32_t));
    // The snapshot steps of the Part, with the library call that fills the buffer.
    QImage TakeSnapshot(int32_t port, VDL_FrameInfo* frame);

    // Dewarping helpers (KestraneDewarp.cpp).
    int32_t DewarpPortOf(Video* video) const;
    // Opens one view for video; false when VDL_DewarpOpenView failed (the rest is skipped).
    bool OpenDewarpView(Video* video, int32_t port, int32_t placement, int32_t mode, const VDL_DewarpParams* params);
    void DewarpPanoramaOrPtzDrag(Video* video, int32_t port);

    static void OnIndexReady(int32_t port, void* user);
    static void OnWatermark(int32_t port, const VDL_WatermarkReport** report, void* user);

    Device* device_;
    QString streamKey_;
    qint64 nullTime_;
    std::map<const Camera*, std::unique_ptr<KestraneCameraData>> cameras_;
    std::atomic<int32_t> fileReference_{0};

    // Read on the library's thread by the watermark callback.
    std::mutex watermarkMutex_;
    QString watermarkTitle_;
    WatermarkHandler watermarkHandler_;

    // Ports of opens that failed after the port was acquired.
    std::vector<int32_t> strayPorts_;
    const VdlAdapter* vdl_;

    // The PTZ view a drag moves (0 none), set by the hit test; a spare sub-port.
    int32_t currentPtzPort_ = 0;
    std::set<int32_t> followingPorts_;
    VdlAdapter followerTable_;
    int32_t scratchPort_ = 0;
    // The dewarp views open on each decoder port: dewarping is switched off once none remains.
    std::map<int32_t, std::set<int32_t>> dewarpViews_;
};
