#pragma once

#include "driver/FileDriver.h"
#include "events/structMapPoint.h"
#include "evidence/VideoFile.h"
#include "facade/FalFacade.h"
#include "viewer/CameraVolumes.h"

#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class BookmarkWorkingLists;
class QPrinter;
class CVideoPlayer;
class CViewerCaption;
class CamerasVolumeDlg;
class CViewerGridLayout;
class CCoordinatorViewerCaption;
class CCoordinatorViewerGrid;
class CCoordinatorViewerTimeline;
class IViewerHost;
struct NavigatorItem;
struct structPageInfo;
struct structTileInfo;
class CTimeline;
class CTimelineMapViewDlg;
class CTimelineMetadataSettingsDlg;
class CTimelineMetadataPlayback;
struct MetadataSample;
class CTimelineExportSnapshotDlg;
class WatermarkReportSink;
class ViewerMessageEvent;
template <typename Receiver>
class ViewerMessageHandlers;

// The central window: caption over grid over control bar, and the only caller of the file access
// facade. It carries out the requests the panes raise through the coordinators, synchronously on
// the GUI thread. It owns the coordinators (and through them their windows), every tile player
// and every Video of every open until its file is released (1157) or the viewer dies: tiles,
// navigator and control bar only refer to them.
class CViewer : public QWidget {
    Q_OBJECT
public:
    // vdl: the decoding library's table for the facade (null: the library the driver loads).
    explicit CViewer(QWidget* parent = nullptr, const VdlAdapter* vdl = nullptr);
    ~CViewer() override;
    // The map view once it was shown (null before).
    CTimelineMapViewDlg* MapView() const { return mapDlg_.get(); }

    // The window around the viewer (navigator, status pane, full screen); null: none.
    void SetHost(IViewerHost* host) { host_ = host; }

    const QString& TempFolder() const { return tempFolder_; }
    FalFacade& Facade() { return facade_; }
    const std::vector<std::unique_ptr<Video>>& Videos() const { return videos_; }
    CTimeline* Timeline() const { return timeline_; }
    CViewerCaption* Caption() const { return caption_; }
    // The volume pop-up while it exists, and the volume each camera keeps.
    CamerasVolumeDlg* VolumePopup() const;
    const CameraVolumes& Volumes() const { return volumes_; }
    // Where the selected camera's watermark reports land, and the watermark window.
    WatermarkReportSink* Watermarks() const { return watermarks_.get(); }

    CViewerGridLayout* Grid() const { return grid_; }
    CCoordinatorViewerGrid* GridCoordinator() const { return gridCoordinator_.get(); }
    CCoordinatorViewerCaption* CaptionCoordinator() const { return captionCoordinator_.get(); }
    unsigned LayoutMode() const { return layoutMode_; }
    // The picture the caption's layout button shows: the current mode's.
    int LayoutButtonPicture() const { return layoutButtonPicture_; }
    // Every player the viewer owns, in open order.
    std::vector<CVideoPlayer*> Players() const;
    const std::vector<std::unique_ptr<structPageInfo>>& Pages() const { return pages_; }
    int CurrentPage() const { return currentPage_; }
    // Copied from the cell-order byte of the last camera opened singly: the layout change then
    // checks the players in cells rather than those of the pages.
    void SetCellOrderFlag(bool on) { cellOrder_ = on ? 1 : 0; }
    bool ViewerMaximized() const { return viewerMaximized_ != 0; }
    bool SingleTileMaximized() const { return singleTileMaximized_ != 0; }
    bool TimerRunning() const { return tileTimer_.isActive(); }
    const VideoList& OpenFileCameras() const { return openFileCameras_; }
    // Set by the bookmark handlers: the package is written anew when the viewer goes.
    void SetPackageRewrite() { packageRewrite_ = 1; }
    bool PackageRewrite() const { return packageRewrite_ != 0; }
    // Playback: whether the controls act on all cameras, the time the scale's cursor shows, the
    // loop button's state and the wrap counter of the camera that wrapped last.
    bool SyncAllOn() const { return syncAll_ != 0; }
    Video* ClockLeader() const { return clockLeader_; }
    // Whether sync all puts the cameras on one clock (default) or sends the same commands to
    // each camera on its own, for comparing the two.
    void SetOneClock(bool on) { oneClock_ = on; }
    qint64 CurrentPosition() const { return currentPosition_; }
    bool LoopOn() const { return loop_ != 0; }
    int LastWrapCount() const { return lastWrapCount_; }

    // Every message box of the viewer goes through this one function; a test answers it here.
    // Returns the button chosen.
    using MessageBoxFunction = std::function<QMessageBox::StandardButton(
        const QString& text, const QString& caption, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)>;
    void SetMessageBoxFunction(MessageBoxFunction function) { messageBox_ = std::move(function); }
    // The bookmark details dialog: caption, name, time and notes in; the name and notes typed
    // out on "OK", none on "Close". A test answers it here.
    struct BookmarkTexts {
        QString name;
        QString notes;
    };
    using BookmarkDialogFunction = std::function<std::optional<BookmarkTexts>(
        const QString& caption, const QString& name, qint64 time, const QString& notes)>;
    void SetBookmarkDialogFunction(BookmarkDialogFunction function) { bookmarkDialog_ = std::move(function); }
    // The print dialog: the printer set up for "Bookmarks.pdf" in, the user's choices made on it;
    // false when cancelled. A test answers it here.
    using PrintDialogFunction = std::function<bool(QPrinter& printer)>;
    void SetPrintDialogFunction(PrintDialogFunction function) { printDialog_ = std::move(function); }
    // The bookmarks being edited, one working list per open file.
    BookmarkWorkingLists& Bookmarks() { return *bookmarks_; }
    // Takes back the latest bookmark change (Ctrl+Z); false when none is left since the last save.
    bool UndoBookmarkChange();
    // The snapshot export dialog once it was shown (null before).
    CTimelineExportSnapshotDlg* SnapshotDialog() const { return snapshotDlg_.get(); }
    // The metadata settings dialog while it is open, and the inputs it edits (none without an
    // open metadata file).
    CTimelineMetadataSettingsDlg* MetadataSettingsDialog() const;
    const std::optional<MetadataConfigList>& MetadataConfig() const { return metadataConfig_; }
    // The camera order dialog: the players in, the new order out (none: cancelled).
    using CameraOrderFunction = std::function<std::optional<std::vector<CVideoPlayer*>>(const std::vector<CVideoPlayer*>&)>;
    void SetCameraOrderFunction(CameraOrderFunction function) { cameraOrder_ = std::move(function); }

    // Pages (CViewerLayout.cpp).
    void CreateVideoPages(int playerCount);
    void ClearVideoPages();
    void AddVideoPlayerInVideoPages(CVideoPlayer* player);
    std::vector<CVideoPlayer*> GetAllVideoPlayersFromVideoPages() const;
    CVideoPlayer* GetVideoPlayerFromVideoPages(const Video* video) const;
    void RemoveVideoPlayerFromVideoPages(const Video* video);
    void RecalculateVideoPages(const std::vector<CVideoPlayer*>& players);
    void ShowVideoPage(int index);
    // The camera lists: one per player of the pages; one per occupied cell in cell order; the
    // grid's selected player's (empty when none is selected).
    VideoList AllCameras() const;
    VideoList DisplayedCameras() const;
    VideoList SelectedCameras() const;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The transport keys that the tiles and grid pass on (CViewerPlayback.cpp).
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The viewer's message handlers, by message number (the rows of ViewerMessageTable.h).
    static const ViewerMessageHandlers<CViewer>& Handlers();

    // CViewer.cpp: set-up, small requests and the requests whose bodies come with their own work.
    void OnSetTempFolder(const QString& path);
    void OnLogError(const QString& text);
    void OnGoToTime();
    void OnShowFileInfo();
    void OnStartupComplete();
    // A request answered here whose body comes with its own work: returns 0, changes nothing.
    template <typename... Args>
    void Pending(Args...)
    {
    }
    QMessageBox::StandardButton ShowMessage(const QString& text, const QString& caption,
                                            QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
    void ApplyDisplayFlags(CVideoPlayer* player);
    static bool IsPlaying(const Video* video);
    Video* SelectedCamera() const;
    CVideoPlayer* PlayerOf(const Video* video) const;
    void PlaceChildren();
    QRect NormalGridArea() const;

    // CViewerFiles.cpp: opening, registering, releasing and closing.
    void OnOpenLocalFile(const QString& path) { OpenFileFromPath(path, 0); }
    // navigatorFlag 1: the file is played again from the navigator, whose item for it stays put.
    void OpenFileFromPath(const QString& path, int navigatorFlag);
    void OnRegisterLocalFile(const QString& path);
    void OnPlaySelectedVideoFile(const QString& path);
    void OnReleaseVideoFile(const QString& path);
    void OnOpenVideoPlayer(NavigatorItem* item, structTileInfo* cell);
    void OnOpenVideoFileAndPlaySingleCamera(Video* video, const QString& path);
    void OpenSingleCamera(const NavigatorItem& item, structTileInfo* cell);
    void OnCloseVideoPlayer(Video* video);
    void OnCloseAllVideoPlayers();
    void OnCloseAllVideoPlayersRequest();
    void CloseLocalFile();
    bool AlreadyOpen(const QString& path) const;
    std::vector<Video*> Adopt(FalFacade::OwnedVideos opened);
    CVideoPlayer* CreatePlayer(Video* video);
    void RebuildPagesForOneMore();
    int FirstEmptyCell() const;
    void PlaybackPlay(CVideoPlayer* player);
    void ShowCameraInControlBar(Video* video, const VideoList& cameras);
    void CloseCamera(Video* video);
    void DestroyPlayer(CVideoPlayer* player);
    void ResetAfterLastClose();
    void StopFile(const std::vector<Video*>& videos);

    // CViewerBookmarks.cpp: the bookmark requests over the per-file working lists.
    void OnEditBookmark(BookmarkRecord* bookmark);
    void OnDeleteBookmark(BookmarkRecord* bookmark);
    void OnDeleteBookmarks(BookmarkList* bookmarks);
    void OnCopyBookmarkToClipboard(BookmarkRecord* bookmark);
    void OnCopyBookmarksToClipboard(BookmarkList* bookmarks);
    void OnPrintBookmark(BookmarkRecord* bookmark);
    void OnPrintBookmarks(BookmarkList* bookmarks);
    void OnSeekToBookmark(BookmarkRecord* bookmark);
    void OnSaveBookmarks();
    void OnAddBookmark(std::optional<qint64> time);
    // The working list of the camera's file, made from its tag on first use.
    BookmarkList* BookmarksOf(Video* video);
    // After a change: the time scale redrawn, the save command and the package rewrite follow.
    void BookmarksChanged(bool edited);
    // Writes the modified lists (of these files; all when empty), each failure in a box.
    void SaveBookmarkLists(const QStringList& files);
    // A release of these files (all when empty): unsaved bookmarks offered for saving, then the
    // lists let go, except those whose write failed.
    void WriteBackBookmarks(const QStringList& files);

    // CViewerSelection.cpp: selection, maximising, full screen, shifting and display flags.
    void OnSelectCamera(Video* video);
    void OnSelectVideoPlayer(Video* video);
    void OnShowWatermark(Video* video);
    void MarkSelected(CVideoPlayer* player);
    void OnHandleSingleTileMaximized(structTileInfo* cell);
    void RestoreSingleTile();
    void OnMaxRestoreViewer(bool maximise);
    void OnRestoreViewerWhenMaximized();
    void OnHandleMouseMoveInFullScreenMode(const QPoint& screenPoint);
    void OnShiftCamerasBackward();
    void OnShiftCamerasForward();
    void OnAdjustCameraOrder();
    void OnShowOverLayText(bool on);
    void OnShowVideoTime(bool on);
    void OnShowMilliSeconds(bool on);
    void OnSetPreserveAspectRatio(bool on);
    void OnFramePlacementChanged(int showCommand);
    void SizingViewer();

    // CViewerAudio.cpp: the cameras' audio and volumes, the volume pop-up.
    void OnEnableCameraAudio(Video* video);
    void OnDisableCameraAudio(Video* video);
    void OnSetAudioVolume(Video* video, int volume);
    void OnShowVideoPlayerVolumeBars(QRect anchor);
    void OnCloseVolumePopup();
    void OnEnableAllCamerasAudio(bool on);
    void OnUpdateDeviceLevelAudio(bool channel1, bool channel2);
    void SwitchCameraAudio(Video* video, bool on);
    bool HasAudio(Video* video);
    void ShowAudioButton(Video* video);

    // CViewerPlayback.cpp: transport, seeking, looping and the 500 ms position update.
    void OnPlay();
    void OnPause();
    void OnPreviousFrame();
    void OnNextFrame();
    void OnFastForward();
    void OnFastRewind();
    void OnLoop(bool on);
    void OnSeekToTime(std::optional<qint64> time);
    void OnSelectAllCameras(bool on);
    void OnRefreshVideoWindow();
    void OnSyncAllAction(bool flag);
    void OnSeekToCursorTime();
    void OnSeekToMapPoint(structMapPoint point);
    void OnVisibleRangeChanged(std::optional<qint64> start, std::optional<qint64> end);
    Video* FirstOpenCamera() const;
    bool MetadataShown() const;

    // CViewerMetadata.cpp: the metadata strip, its tooltip, the samples play passes, the map.
    CTimelineMetadataPlayback* MetadataStrip() const;
    void MetadataFileOpened(Video* first);
    void MetadataFilesClosed();
    void PlayMetadata();
    void RenderMetadata();
    std::optional<qint64> StripTimeUnderPointer() const;
    void OnMetadataHover(QObject* tooltipWindow, QPoint point);
    void OnMetadataPaneSized();
    void OnShowMetadataChart(bool show);
    void OnShowMap();
    void OnMetadataSample(const MetadataSample& sample);
    void OnDisplayMetadataSettings();
    void OnMetadataSettingsChanged(void* list);
    bool MetadataEvent(QEvent* e);
    VideoList TargetCameras() const;
    void ForEachTarget(const VideoList& targets, void (FalFacade::*operation)(Video*));
    void SpeedPress(bool forward);
    void MirrorState(const VideoList& targets);
    void RefreshStatusTexts();
    void SeekAll(qint64 time);
    void SeekCameras(const VideoList& cameras, qint64 time);
    void PositionUpdate();
    void CheckPlaybackLoop();
    qint64 CameraTime(Video* video);
    void OnTileTimer();
    bool TransportButtonEnabled(int buttonId) const;
    void HideWatermarkWindow();

    // CViewerSyncClock.cpp: with sync all, one camera's port leads and the others follow it.
    void JoinClock();
    bool TakeOwnClock(Video* video, bool goOn);
    void LeaveClock(bool goOn = false);
    void JoinClockNewCameras();
    void AlignClock();
    void ClockCameraClosing(Video* video);
    bool FollowsClock(const Video* video) const;
    qint64 WallMillis(Video* video);

    // CViewerSnapshots.cpp: the export dialog, its request and the selected tile's snapshot.
    struct Snapshot {
        QImage image;  // composed
        qint64 time = 0;  // of the frame in it
    };
    std::optional<Snapshot> TakeSnapshot(Video* video, qint64 fallbackTime);
    void OnShowSaveSnapshots();
    void OnSaveSnapshots(void* request);
    void OnSnapshotSelectedTile();
    void OnCopySnapshotToClipboard();

    // CViewerLayout.cpp: the layout change and pages.
    void OnSetLayout(int mode);
    void OnShowNextVideoPage();
    void OnShowPreviousVideoPage();
    void CloseDewarpViewPlayer(CVideoPlayer* player);
    void RefreshCaptionPageText();

    // CViewerDewarp.cpp: dewarp view tiles.
    void OnOpenDewarpViewRequest(Video* camera, const QString& request);
    void OpenDewarpView(Video* fisheye, const QString& viewName);
    void OpenCombinedDewarpViews(Video* fisheye, const QString& key, int count, const QString& combinedName);
    Video* MakeDewarpView(Video* fisheye, const QString& viewName);
    CVideoPlayer* PlaceDewarpView(Video* view, const QString& viewName);
    void ShowDewarpView(Video* view, CVideoPlayer* player);
    void OnDewarpDragStart(Video* view);
    void OnDewarpDragMove(Video* view);

    IViewerHost* host_ = nullptr;
    QString tempFolder_;
    // Declared before the facade so that it outlives every port whose reports it receives.
    std::unique_ptr<WatermarkReportSink> watermarks_;
    FalFacade facade_;
    std::vector<std::unique_ptr<Video>> videos_;
    // The dewarp views opened, kept like the cameras until their file is released.
    std::vector<std::unique_ptr<Video>> views_;
    // Gone before the videos they show; their time and state refreshed every 500 ms.
    std::vector<std::unique_ptr<CVideoPlayer>> players_;
    std::vector<std::unique_ptr<structPageInfo>> pages_;
    int currentPage_ = 0;
    unsigned layoutMode_ = 6;
    int layoutButtonPicture_ = 0;
    uint8_t cellOrder_ = 0;
    uint8_t syncAll_ = 0;
    bool showVideoTime_ = true;
    bool showMilliseconds_ = false;
    bool preserveAspectRatio_ = false;
    int viewerMaximized_ = 0;
    int singleTileMaximized_ = 0;
    // The cameras of the file opened last (the facade's list for it).
    VideoList openFileCameras_;
    qint64 currentPosition_ = 0;
    // The position last made up from the played time when the library could not report a time.
    qint64 lastComputedPosition_ = 0;
    int loop_ = 0;
    int lastWrapCount_ = 0;
    // The time scale's visible window, and the metadata inputs of the open file's first camera
    // (read when it opens; none for files without a metadata track, then no settings dialog).
    qint64 windowStart_ = 0;
    qint64 windowEnd_ = 0;
    std::optional<MetadataConfigList> metadataConfig_;
    // The settings dialog while it is open (modal, at most one).
    QPointer<CTimelineMetadataSettingsDlg> settingsDlg_;
    // The map view, made on the first request to show it; opened once by the developer option.
    std::unique_ptr<CTimelineMapViewDlg> mapDlg_;
    bool mapOpenedOnce_ = false;
    // Sync all's clock: the camera whose port leads and those that follow it.
    Video* clockLeader_ = nullptr;
    bool oneClock_ = true;
    VideoList clockFollowers_;
    // Each follower's distance from the leader as last set (ms): a hand-over derives the new
    // distances from these rather than from pictures that may not have settled yet.
    std::map<const Video*, int32_t> clockOffsets_;
    QString logText_;
    std::unique_ptr<BookmarkWorkingLists> bookmarks_;
    BookmarkDialogFunction bookmarkDialog_;
    PrintDialogFunction printDialog_;
    int32_t packageRewrite_ = 0;
    bool popupOpen_ = false;
    MessageBoxFunction messageBox_;
    CameraOrderFunction cameraOrder_;
    CameraVolumes volumes_;
    QPointer<CamerasVolumeDlg> volumePopup_;
    // Timer 1177: the playback check every 500 ms.
    QTimer tileTimer_;
    std::unique_ptr<CCoordinatorViewerCaption> captionCoordinator_;
    CViewerCaption* caption_ = nullptr;  // owned by its coordinator
    std::unique_ptr<CCoordinatorViewerGrid> gridCoordinator_;
    CViewerGridLayout* grid_ = nullptr;  // a child window
    std::unique_ptr<CCoordinatorViewerTimeline> timelineCoordinator_;
    CTimeline* timeline_ = nullptr;  // owned by its coordinator
    VideoList barVideos_;            // the cameras the control bar reads
    // Made on first use, then shown again; the 500 ms timer keeps its time current.
    std::unique_ptr<CTimelineExportSnapshotDlg> snapshotDlg_;
};
