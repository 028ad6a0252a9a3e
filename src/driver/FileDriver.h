#pragma once

#include "driver/DewarpLayouts.h"

#include "driver/MetadataTypes.h"
#include "evidence/CalendarFields.h"
#include "vdl/vdl.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class FileTag;
class Video;

// The viewer's list of videos, as the list operations take it.
using VideoList = std::vector<Video*>;
// The user interface's watermark callback: (title, text). Called on the library's thread.
using WatermarkHandler = std::function<void(const QString& title, const QString& text)>;

// A snapshot and the description of the same frame, taken together (slot 49).
struct SnapshotFrame {
    QImage image;
    VDL_FrameInfo frame = {};
};

// The abstract playback driver: one object per device, through which every playback request for
// that device's videos passes. The virtual operations are kept in slot order; the defaults here
// do nothing and return zero, false or an empty result, except the partial-file pair and the
// bitmap conversion of the last slot.
class FileDriver {
public:
    FileDriver();
    virtual ~FileDriver();                                                              // 0

    FileDriver(const FileDriver&) = delete;
    FileDriver& operator=(const FileDriver&) = delete;

    virtual void PlaybackLocalFileOpen(Video* video);                                  // 1
    virtual void PlaybackPlay(Video* video);                                           // 2
    virtual void PlaybackPlay(const VideoList& videos);                                // 3
    virtual void PlaybackStop(const VideoList& videos);                                // 4
    virtual void VideoClose(Video* video);                                             // 5
    virtual void ReleaseDewarpPort(Video* video);                                      // 6
    virtual void DewarpClose(Video* video);                                            // 7
    virtual CalendarFields VideoGetTime(Video* video);                                 // 8
    virtual int32_t VideoTime(Video* video);                                           // 9
    virtual void PlaybackSeek(const VideoList& videos, qint64 time);                   // 10
    virtual void PlaybackSeek(Video* video, qint64 time);                              // 11
    virtual void PlaybackPause(const VideoList& videos);                               // 12
    virtual void PlaybackPause(Video* video);                                          // 13
    virtual void PlaybackResume(const VideoList& videos);                              // 14
    virtual void PlaybackResume(Video* video);                                         // 15
    virtual void PlaybackFramePrevious(Video* video);                                  // 16
    virtual void PlaybackFrameNext(Video* video);                                      // 17
    virtual void PlaybackFastForward(Video* video, float speed);                       // 18
    virtual void PlaybackFastForward(Video* video);                                    // 19
    virtual void PlaybackFastForward(const VideoList& videos, float speed);            // 20
    virtual void PlaybackRewind(Video* video, float speed);                            // 21
    virtual void PlaybackRewind(Video* video);                                         // 22
    virtual void PlaybackRewind(const VideoList& videos, float speed);                 // 23
    virtual QImage Snapshot(Video* video);                                             // 24
    virtual void VideoPaging(Video* video, const VideoList& shown, const VideoList& hidden); // 25
    virtual void AudioInputEnable(Video* video, bool on);                              // 26
    virtual void DewarpLayoutPlay(const VideoList& videos);                            // 27
    virtual void DewarpPlay(Video* video, const QString& viewMode, int32_t value1, int32_t value2); // 28
    virtual void DewarpDrag(Video* video);                                             // 29
    virtual void DewarpHitTest(Video* video);                                          // 30
    virtual void SetWatermark(Video* video, WatermarkHandler handler);                 // 31
    virtual void SetAudioVolume(Video* video, int32_t volume);                         // 32
    virtual int32_t DeviceQuery(Video* video);                                         // 33
    virtual void DeviceLevelAudio(Video* video, bool on);                              // 34
    virtual std::unique_ptr<MetadataConfigList> GetMetadataConfig(Video* video);       // 35
    // The metadata strip, on the user interface's thread like every call here. Times are the
    // viewer's (whole seconds, the time scale's); the pictures stay the caller's. A driver
    // without a metadata track keeps these defaults: nothing drawn, no tooltip.
    // The selection to draw and the time scale's window [windowStart, windowEnd].
    virtual void MetadataPlay(Video* video, const MetadataConfigList& entries, qint64 windowStart,
                              qint64 windowEnd);                                       // 36
    // Paints the whole strip picture (when it is not null or empty) for the window and the play
    // position; the cursor is mode pixels wide in colour (0xRRGGBB). Also where play passing
    // samples is noticed.
    virtual void RenderMetadataFrame(Video* video, QImage* strip, qint64 windowStart, qint64 windowEnd,
                                     qint64 position, int32_t mode, uint32_t colour); // 37
    // Paints the tooltip picture for the pointer at (x, y) and the time under it, resizing it to
    // fit; false, the picture untouched, when there is nothing to show.
    virtual bool RenderMetadataTooltip(Video* video, QImage* tooltip, int32_t x, int32_t y,
                                       qint64 time);                                   // 38
    virtual void DisposeMetadataRenderer(Video* video);                                // 39
    virtual void RefreshVideoWindow(Video* video);                                     // 40
    virtual std::unique_ptr<LatLongData> GetLatLongData();                             // 41
    virtual void PartialFile(const QString& path, FileTag& tag);                       // 42
    virtual void PartialFileWorker(const QString& path, FileTag& tag);                 // 43
    virtual QImage BitmapFromBmp(const QByteArray& image);                             // 44

    // What the tiles need of the decoding library beyond the Part's list. The surface is the
    // one every later play of the video renders into as well (it becomes its render window);
    // null detaches. A view is the frame rectangle the surface shows and the size it paints;
    // an empty rectangle or size: the whole frame at its own size. For a dewarp view (dewarp
    // byte set) only the size counts: the size its sub-port renders at. A view's other queries
    // (state, time, stats) answer for its fisheye camera's port.
    virtual void SetRenderSurface(Video* video, VDL_Surface* surface);                 // 45
    virtual void SetRenderView(Video* video, const QRect& source, const QSize& output); // 46
    virtual VDL_Stats GetStats(Video* video);                                          // 47
    virtual VDL_StreamInfo GetStreamInfo(Video* video);                                // 48
    virtual SnapshotFrame SnapshotAndFrame(Video* video);                              // 49
    // One dewarp view of view's fisheye camera (view->rootCamera) set directly, without a layout
    // or a drag: the view opens in setting's mode on the placement of the camera's mount type,
    // takes setting's position, zoom and wide-scan offset as its update kind says, renders at size
    // (empty: the library's default) into view->renderWindow. view->dewarpPort becomes the view's
    // sub-port; release it with ReleaseDewarpPort and DewarpClose. Throws FalException on failure
    // (the view opened so far is closed again).
    virtual void DewarpShowView(Video* view, const DewarpLayouts::View& setting, const QSize& size); // 50
    // The watermark checks of the video's camera since its file was opened, through closes and
    // reopens (the worst state, counts added). UI thread; throws FalException.
    virtual VDL_WatermarkStatusBlock GetWatermarkStatus(Video* video);                 // 51
    // Playing in step: the video's port presents the frame of the leader port (another driver's,
    // from its FollowPortOf) plus offsetMillis, on the video's own surface; leaderPort -1 gives
    // the video its own clock again, at the frame it shows. While it follows, the video's
    // transport operations set its state and speed step only: its picture moves with the leader.
    // UI thread; throws FalException (a device that cannot follow, a library failure).
    virtual void FollowVideo(Video* video, int32_t leaderPort, int32_t offsetMillis); // 52
    // The decoder port a follower of this video follows (a dewarp view: its fisheye camera's);
    // throws FalException when there is none.
    virtual int32_t FollowPortOf(Video* video);                                        // 53
};
