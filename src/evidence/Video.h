#pragma once

#include "evidence/Camera.h"
#include "evidence/VideoFile.h"

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>

// Playback states of a video, as the driver moves between them.
enum class PlaybackState : int32_t {
    Closed = 0,
    Opened = 1,
    Rewinding = 2,
    FastForward = 3,
    Paused = 4,
    Playing = 5,
    SteppedBack = 6,
    SteppedForward = 7,
};

// One playable camera of one opened file: the unit every playback operation takes. Owns its
// camera and its video file.
class Video {
public:
    explicit Video(std::unique_ptr<Camera> camera);
    virtual ~Video();

    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;

    Camera* GetCamera() const { return camera_.get(); }
    VideoFile* GetVideoFile() const { return videoFile_.get(); }
    void SetVideoFile(std::unique_ptr<VideoFile> file) { videoFile_ = std::move(file); }

    // The tile surface the decoder renders into; set by the viewer.
    void* renderWindow = nullptr;
    int32_t viewerValue1 = 0;
    int32_t viewerValue2 = 0;
    // While set, the tile shows RGB(60, 60, 255) instead of the picture (copied at its creation).
    uint8_t noPicture = 0;
    PlaybackState playbackState = PlaybackState::Closed;
    int32_t speedSteps = 1;
    int16_t viewerShort1 = 0;
    int32_t viewerValue3 = 0;
    int32_t viewerValue4 = 0;
    uint8_t cellOrder = 0;
    uint8_t audioOn = 0;
    uint8_t deviceAudioByte = 0;
    uint8_t bookmarkCapable = 0;
    uint8_t hasMetadata = 0;
    qint64 viewerTime = -1;
    qint64 defaultTime;
    int32_t viewerValue5 = -1;
    int16_t viewerShort2 = 0;
    uint8_t viewerByte2 = 1;
    int32_t viewerValue6 = 65530;
    Video* rootCamera = nullptr;
    uint8_t dewarpView = 0;
    int32_t dewarpPort = 0;
    QString title;
    uint8_t loop = 0;
    int32_t dewarpLayoutMode = 0;
    int32_t wrapCounter = 0;

private:
    std::unique_ptr<VideoFile> videoFile_;
    std::unique_ptr<Camera> camera_;
};
