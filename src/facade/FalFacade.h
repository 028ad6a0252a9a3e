#pragma once

#include "driver/FileDriver.h"
#include "driver/VdlAdapter.h"
#include "evidence/CalendarFields.h"
#include "evidence/Device.h"
#include "evidence/FileTag.h"
#include "evidence/Video.h"

#include <QImage>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <vector>

// The one entry point through which the user interface opens evidence files and controls their
// playback: builds the device, cameras and videos from a file's tag, keeps one playback driver
// per device and forwards every request of a video to it, turning each failure into a
// FalException whose message names the operation. All calls come from the user-interface thread.
class FalFacade {
public:
    static constexpr int kAlarmNameCount = 14;
    static constexpr int kAlarmNameSize = 16;
    static constexpr int kAlarmNamesSize = kAlarmNameCount * kAlarmNameSize;
    // The colour and mode every metadata frame is drawn with: green in red-green-blue order.
    static constexpr int32_t kMetadataFrameMode = 2;
    static constexpr uint32_t kMetadataFrameColour = 65280;

    using OwnedVideos = std::vector<std::unique_ptr<Video>>;

    // vdl: the table the drivers call; null loads the decoding library on first use.
    explicit FalFacade(const VdlAdapter* vdl = nullptr);
    ~FalFacade();

    FalFacade(const FalFacade&) = delete;
    FalFacade& operator=(const FalFacade&) = delete;

    // Open and close. An empty result stands for "no videos" (no tag, or no channels).
    OwnedVideos OpenVideoFile(const QString& path, const QString& sourceFolder);
    void StopVideos(const VideoList* videos);
    void CloseVideo(Video* video);
    void SaveBookmarks();
    // Writes list as the bookmarks of the evidence file at path, through a tag of its own read
    // fresh from that file, so neither the facade's tag (the file last loaded) nor the caller's
    // records are touched: the tag gets copies. Every version the tag writer takes is accepted
    // (6.0/6.1 upgraded to 6.2, 6.2 and 7.1 kept). On the user-interface thread like the rest;
    // blocks for the write. Failures throw FalException with the evidence layer's own text
    // (a write-protected file: "The file is write-protected: %s", the file unchanged), or
    // "No bookmark tag in %s" when the file has no tag the writer takes.
    void SaveBookmarks(const QString& path, const BookmarkList& list);
    // Whether a tag of this version can have its bookmarks written back.
    static bool BookmarksWritable(int major, int minor);

    // Playback.
    void PlayVideos(const VideoList* videos);
    void PlayVideo(Video* video);
    void PauseVideo(Video* video);
    void ResumeVideo(Video* video);
    void FramePrevious(Video* video);
    void FrameNext(Video* video);
    void FastForward(Video* video, float speed);
    void Rewind(Video* video, float speed);
    void SeekVideo(Video* video, qint64 time);
    void CloseDewarpView(Video* video);
    void DewarpClose(Video* video);
    CalendarFields GetVideoTime(Video* video);
    int32_t GetPlayedTime(Video* video);
    QImage SaveSnapshot(Video* video);
    void SetAudio(Video* video, bool on);
    void SetAudioVolume(Video* video, int32_t volume);
    void UpdateDeviceLevelAudio(Video* video, bool on);
    void SetVideoPaging(Video* video, const VideoList& shown, const VideoList& hidden);
    void SetWatermark(Video* video, WatermarkHandler handler);
    void DewarpPlay(Video* video, const QString& viewMode);
    void DewarpLayoutPlay(const VideoList* videos);
    // The dewarp position operations, one per pointer event of a dewarp view tile (on the user
    // interface's thread, like every operation): DewarpPositionStart on the press (1211) hit-tests
    // the PTZ outlines under the first drag point and remembers the PTZ view found;
    // DewarpPositionSet on each move (1210) drags that PTZ view, or the view itself. Each runs only
    // its own driver operation; failures as "Couldn't DewarpPositionSet %s".
    void DewarpPositionStart(Video* video);
    void DewarpPositionSet(Video* video);
    // One dewarp view set directly (the command line's dewarp, tests): view is a Video of the
    // fisheye camera's device with rootCamera set to that camera and renderWindow to the view's
    // surface; it opens in setting's mode with setting's position, zoom and offset, at size.
    // Release it with CloseDewarpView and DewarpClose. Failures as "Couldn't Show Dewarp View %s".
    void DewarpShowView(Video* view, const DewarpLayouts::View& setting, const QSize& size);

    // The tiles' hold on the decoding library: where a video renders, which part of its frame at
    // which size, its counters and stream facts, and a snapshot with the frame it shows.
    void SetRenderSurface(Video* video, VDL_Surface* surface);
    void SetRenderView(Video* video, const QRect& source, const QSize& output);
    VDL_Stats GetStats(Video* video);
    VDL_StreamInfo GetStreamInfo(Video* video);
    SnapshotFrame GetSnapshotAndFrame(Video* video);
    // The video's watermark checks so far (driver slot 51): "Couldn't Get Watermark Status %s".
    VDL_WatermarkStatusBlock GetWatermarkStatus(Video* video);
    // Playing in step (driver slots 52, 53): follower shows leader's frame plus offsetMillis and
    // its transport only keeps its state; leader null gives it its own clock again. Leader and
    // follower may belong to different files' drivers. "Couldn't Follow Video %s".
    void FollowVideo(Video* follower, Video* leader, int32_t offsetMillis);

    // Metadata.
    std::unique_ptr<MetadataConfigList> GetMetadataConfig(Video* video);
    // The strip's calls, on the user interface's thread; times in the viewer's seconds, the
    // pictures the caller's (see FileDriver 36-38). Failures: "Couldn't play MetadataPlay %s",
    // "Couldn't render Metadata frame %s", "Couldn't render Metadata TOOLTIP %s".
    void MetadataPlay(Video* video, const MetadataConfigList& entries, qint64 windowStart, qint64 windowEnd);
    std::unique_ptr<LatLongData> GetLatLongData(Video* video);
    void RenderMetadataFrame(Video* video, QImage* strip, qint64 windowStart, qint64 windowEnd, qint64 position);
    bool RenderMetadataTooltip(Video* video, QImage* tooltip, int32_t x, int32_t y, qint64 time);
    void DisposeMetadataRenderer(Video* video);
    void RefreshVideoWindow(Video* video);

    // The driver factory: the local-file driver for every type that has one.
    static std::unique_ptr<FileDriver> CreateDriver(Device* device, const VdlAdapter* vdl);
    // The developer option PLOMERA_DEV_METADATA ("1" or "map"): a file with a metadata section
    // opens with the driver that answers the metadata operations from it (has-metadata 1; a
    // damaged section fails the open with its reason). Unset, every file keeps the defaults.
    static bool MetadataOption();
    // "map": the map view also opens once a file with a metadata track plays.
    static bool MetadataMapOption();

    FileTag& Tag() { return tag_; }
    Device* CurrentDevice() const { return currentDevice_.get(); }
    FileDriver* DriverOf(const Device* device) const;
    size_t DriverCount() const { return drivers_.size(); }
    const std::array<uint8_t, kAlarmNamesSize>& AlarmNames() const { return alarmNames_; }

private:
    FileDriver& DriverFor(Device* device);
    FileDriver& DriverFor(Video* video);
    FileDriver& ExistingDriverFor(Video* video) const;
    void RemoveDriver(const Device* device);
    void OpenPartial(const QString& path);
    OwnedVideos BuildVideos(const QString& path, const QString& sourceFolder);
    void CopyAlarmBlock(Device& device) const;

    std::map<const Device*, std::unique_ptr<FileDriver>> drivers_;
    FileTag tag_;
    std::unique_ptr<Device> currentDevice_;
    std::array<uint8_t, kAlarmNamesSize> alarmNames_{};
    // Devices of earlier opens: their videos' cameras still refer to them.
    std::vector<std::unique_ptr<Device>> earlierDevices_;
    const VdlAdapter* vdl_;
};
