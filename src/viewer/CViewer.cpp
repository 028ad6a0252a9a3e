// The viewer's construction, its one dispatch table, and the small requests. Opening and closing
// live in CViewerFiles.cpp, selection and full screen in CViewerSelection.cpp, pages and the
// layout change in CViewerLayout.cpp, playback control in CViewerPlayback.cpp, bookmarks in
// CViewerBookmarks.cpp.
#include "viewer/CViewer.h"

#include "bookmarks/BookmarkWorkingLists.h"
#include "events/CCoordinatorViewerCaption.h"
#include "events/CCoordinatorViewerGrid.h"
#include "events/CCoordinatorViewerTimeline.h"
#include "events/IPlomeraViewEvents.h"
#include "events/ViewerMessageDispatch.h"
#include "events/structMapPoint.h"
#include "metadata/CTimelineMapViewDlg.h"
#include "evidence/BookmarkRecord.h"
#include "evidence/Camera.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "startup/StartupSequence.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineExportSnapshotDlg.h"
#include "timeline/TimelineActions.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/IViewerHost.h"
#include "viewer/structPageInfo.h"
#include "viewer/WatermarkBadge.h"
#include "viewer/WatermarkReportSink.h"

#include <QCoreApplication>
#include <QFile>
#include <QPalette>

CViewer::CViewer(QWidget* parent, const VdlAdapter* vdl)
    : QWidget(parent), watermarks_(std::make_unique<WatermarkReportSink>()), facade_(vdl),
      bookmarks_(std::make_unique<BookmarkWorkingLists>(
          [this](const QString& path, const BookmarkList& list) { facade_.SaveBookmarks(path, list); }))
{
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    setPalette(p);
    setAutoFillBackground(true);
    tileTimer_.setInterval(500);
    connect(&tileTimer_, &QTimer::timeout, this, [this] {
        HandlerGuard::Run("setplaybackstate", [this] { OnTileTimer(); });
    });
    captionCoordinator_ = std::make_unique<CCoordinatorViewerCaption>(this);
    caption_ = new CViewerCaption(this);
    caption_->SetCoordinator(captionCoordinator_.get());
    captionCoordinator_->SetCaptionWindow(caption_);
    timelineCoordinator_ = std::make_unique<CCoordinatorViewerTimeline>(this);
    timeline_ = new CTimeline(timelineCoordinator_.get(), this);
    timeline_->SetMetadataButtonVisible(FalFacade::MetadataOption());
    timelineCoordinator_->SetControlBarWindow(timeline_);
    gridCoordinator_ = std::make_unique<CCoordinatorViewerGrid>(this);
    grid_ = new CViewerGridLayout(this);
    grid_->SetCoordinator(gridCoordinator_.get());
    grid_->SetLayout(layoutMode_);
    layoutButtonPicture_ = CViewerCapabilities::LayoutOf(layoutMode_).pictureId;
    caption_->SetLayoutPicture(layoutButtonPicture_);
    caption_->ResetPageText();
    caption_->EnableFileControls(false);
}

CViewer::~CViewer()
{
    // Tiles still open are closed as the close-all request would (a closed viewer logs no second
    // close); Videos without a tile gave back their ports when they were closed or stopped.
    if (!players_.empty()) {
        HandlerGuard::Run("CloseAllVideoPlayers", [this] { OnCloseAllVideoPlayers(); });
    }
    // Bookmarks were changed in a package: the package is written anew with them.
    if (packageRewrite_ != 0 && host_ != nullptr) {
        if (IPlomeraViewEvents* events = host_->ViewEvents()) {
            events->CreateSingleEvidenceFile(host_->HostTempFolder());
        }
    }
    // Tiles go before the videos they show; the grid only refers to them.
    if (grid_ != nullptr) {
        for (const auto& player : players_) {
            grid_->RemovePlayer(player.get());
        }
    }
    players_.clear();
    timelineCoordinator_.reset();
    captionCoordinator_.reset();
}

void CViewer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceChildren();
    HandlerGuard::Run(HandlerGuard::ErrorIn("Sizing viewer"), [this] { SizingViewer(); });
}

// The grid between caption and control bar; with a tile maximised the grid also takes the
// caption's strip; with the viewer maximised, the whole viewer.
QRect CViewer::NormalGridArea() const
{
    if (viewerMaximized_ != 0) {
        return rect();
    }
    const int top = caption_->height();
    const int bar = timeline_->sizeHint().height();
    return QRect(0, top, width(), std::max(0, height() - top - bar));
}

void CViewer::PlaceChildren()
{
    const int bar = timeline_->sizeHint().height();
    if (viewerMaximized_ == 0) {
        caption_->setGeometry(0, 0, width(), CViewerCaption::kHeight);
        timeline_->setGeometry(0, height() - bar, width(), bar);
    }
    QRect area = NormalGridArea();
    if (singleTileMaximized_ != 0 && viewerMaximized_ == 0) {
        area.setTop(0);
    }
    grid_->setGeometry(area);
}

Video* CViewer::SelectedCamera() const
{
    if (grid_ != nullptr && grid_->SelectedPlayer() != nullptr) {
        return grid_->SelectedPlayer()->GetVideo();
    }
    return nullptr;
}

CVideoPlayer* CViewer::PlayerOf(const Video* video) const
{
    for (const auto& p : players_) {
        if (p->GetVideo() == video) {
            return p.get();
        }
    }
    return nullptr;
}

std::vector<CVideoPlayer*> CViewer::Players() const
{
    std::vector<CVideoPlayer*> players;
    for (const auto& p : players_) {
        players.push_back(p.get());
    }
    return players;
}

bool CViewer::IsPlaying(const Video* video)
{
    return video->playbackState != PlaybackState::Closed && video->playbackState != PlaybackState::Opened;
}

QMessageBox::StandardButton CViewer::ShowMessage(const QString& text, const QString& caption,
                                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    if (messageBox_) {
        return messageBox_(text, caption, buttons, icon);
    }
    QMessageBox box(icon, caption, text, buttons, this);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CViewer::ApplyDisplayFlags(CVideoPlayer* player)
{
    player->SetShowTime(showVideoTime_);
    player->SetShowMilliseconds(showMilliseconds_);
}

const ViewerMessageHandlers<CViewer>& CViewer::Handlers()
{
    using namespace ViewerMessages;
    static const ViewerMessageHandlers<CViewer> handlers = [] {
        ViewerMessageHandlers<CViewer> h;
        // Files, tiles, selection, pages and the viewer's own modes.
        h.On<SetTempFolder>(&CViewer::OnSetTempFolder)
            .On<OpenLocalFile>(&CViewer::OnOpenLocalFile)
            .On<RegisterLocalFile>(&CViewer::OnRegisterLocalFile)
            .On<PlaySelectedVideoFile>(&CViewer::OnPlaySelectedVideoFile)
            .On<ReleaseVideoFile>(&CViewer::OnReleaseVideoFile)
            .On<OpenVideoPlayer>(&CViewer::OnOpenVideoPlayer)
            .On<OpenVideoFileAndPlaySingleCamera>(&CViewer::OnOpenVideoFileAndPlaySingleCamera)
            .On<SelectCamera>(&CViewer::OnSelectCamera)
            .On<SelectVideoPlayer>(&CViewer::OnSelectVideoPlayer)
            .On<CloseVideoPlayer>(&CViewer::OnCloseVideoPlayer)
            .On<CloseAllVideoPlayers>(&CViewer::OnCloseAllVideoPlayers)
            .On<CloseAllVideoPlayersRequest>(&CViewer::OnCloseAllVideoPlayersRequest)
            .On<SetLayout>(&CViewer::OnSetLayout)
            .On<ShowNextVideoPage>(&CViewer::OnShowNextVideoPage)
            .On<ShowPreviousVideoPage>(&CViewer::OnShowPreviousVideoPage)
            .On<ShiftCamerasBackward>(&CViewer::OnShiftCamerasBackward)
            .On<ShiftCamerasForward>(&CViewer::OnShiftCamerasForward)
            .On<AdjustCameraOrder>(&CViewer::OnAdjustCameraOrder)
            .On<HandleSingleTileMaximized>(&CViewer::OnHandleSingleTileMaximized)
            .On<MaxRestoreViewer>(&CViewer::OnMaxRestoreViewer)
            .On<RestoreViewerWhenMaximized>(&CViewer::OnRestoreViewerWhenMaximized)
            .On<HandleMouseMoveInFullScreenMode>(&CViewer::OnHandleMouseMoveInFullScreenMode)
            .On<ShowOverLayText>(&CViewer::OnShowOverLayText)
            .On<SetPreserveAspectRatio>(&CViewer::OnSetPreserveAspectRatio)
            .On<ShowMilliSeconds>(&CViewer::OnShowMilliSeconds)
            .On<ShowVideoTime>(&CViewer::OnShowVideoTime)
            .On<FramePlacementChanged>(&CViewer::OnFramePlacementChanged)
            .On<MapViewToggled>(&CViewer::Pending<bool>)
            .On<LogError>(&CViewer::OnLogError)
            .On<ViewerMessages::OnGoToTime>(&CViewer::OnGoToTime)
            .On<ViewerMessages::OnShowFileInfo>(&CViewer::OnShowFileInfo)
            .On<StartupComplete>(&CViewer::OnStartupComplete);
        // Bookmarks (CViewerBookmarks.cpp).
        h.On<EditBookmark>(&CViewer::OnEditBookmark)
            .On<DeleteBookmark>(&CViewer::OnDeleteBookmark)
            .On<DeleteBookmarks>(&CViewer::OnDeleteBookmarks)
            .On<CopyBookmarkToClipboard>(&CViewer::OnCopyBookmarkToClipboard)
            .On<CopyBookmarksToClipboard>(&CViewer::OnCopyBookmarksToClipboard)
            .On<PrintBookmark>(&CViewer::OnPrintBookmark)
            .On<PrintBookmarks>(&CViewer::OnPrintBookmarks)
            .On<SeekToBookmark>(&CViewer::OnSeekToBookmark)
            .On<SaveBookmarks>(&CViewer::OnSaveBookmarks)
            .On<AddBookmark>(&CViewer::OnAddBookmark);
        // Playback control (CViewerPlayback.cpp).
        h.On<ViewerMessages::OnPlay>(&CViewer::OnPlay)
            .On<ViewerMessages::OnPause>(&CViewer::OnPause)
            .On<ViewerMessages::OnPreviousFrame>(&CViewer::OnPreviousFrame)
            .On<ViewerMessages::OnNextFrame>(&CViewer::OnNextFrame)
            .On<ViewerMessages::OnFastForward>(&CViewer::OnFastForward)
            .On<ViewerMessages::OnFastRewind>(&CViewer::OnFastRewind)
            .On<ViewerMessages::OnLoop>(&CViewer::OnLoop)
            .On<SeekToTime>(&CViewer::OnSeekToTime)
            .On<ViewerMessages::RefreshVideoWindow>(&CViewer::OnRefreshVideoWindow)
            .On<SelectAllCameras>(&CViewer::OnSelectAllCameras)
            .On<SyncAll>(&CViewer::OnSyncAllAction)
            .On<SeekToCursorTime>(&CViewer::OnSeekToCursorTime)
            .On<SeekToMapPoint>(&CViewer::OnSeekToMapPoint)
            .On<VisibleRangeChanged>(&CViewer::OnVisibleRangeChanged);
        // Audio and volumes (CViewerAudio.cpp).
        h.On<EnableCameraAudio>(&CViewer::OnEnableCameraAudio)
            .On<DisableCameraAudio>(&CViewer::OnDisableCameraAudio)
            .On<ShowVideoPlayerVolumeBars>(&CViewer::OnShowVideoPlayerVolumeBars)
            .On<SetAudioVolume>(&CViewer::OnSetAudioVolume)
            .On<CloseVolumePopup>(&CViewer::OnCloseVolumePopup)
            .On<EnableAllCamerasAudio>(&CViewer::OnEnableAllCamerasAudio)
            .On<UpdateDeviceLevelAudio>(&CViewer::OnUpdateDeviceLevelAudio);
        // Dewarp views, the watermark and snapshots; map and metadata are answered here, carried
        // out by the work that builds them (each returns 0 and changes nothing until then).
        h.On<ViewerMessages::OpenDewarpView>(&CViewer::OnOpenDewarpViewRequest)
            .On<DewarpDragMove>(&CViewer::OnDewarpDragMove)
            .On<DewarpDragStart>(&CViewer::OnDewarpDragStart)
            .On<ShowWatermark>(&CViewer::OnShowWatermark)
            .On<OnExportSnapshot>(&CViewer::OnShowSaveSnapshots)
            .On<SaveSnapshots>(&CViewer::OnSaveSnapshots)
            .On<SnapshotSelectedTile>(&CViewer::OnSnapshotSelectedTile)
            .On<CopySnapshotToClipboard>(&CViewer::OnCopySnapshotToClipboard)
            .On<ViewerMessages::OnShowMap>(&CViewer::OnShowMap)
            .On<ViewerMessages::MetadataHover>(&CViewer::OnMetadataHover)
            .On<DisplayMetadataSettings>(&CViewer::OnDisplayMetadataSettings)
            .On<ViewerMessages::MetadataPaneSized>(&CViewer::OnMetadataPaneSized)
            .On<ViewerMessages::ShowMetadataChart>(&CViewer::OnShowMetadataChart)
            .On<MetadataNotice>(&CViewer::Pending<>)
            .On<MetadataSettingsChanged>(&CViewer::OnMetadataSettingsChanged);
        return h;
    }();
    return handlers;
}

bool CViewer::event(QEvent* e)
{
    ViewerMessageEvent* m = ViewerMessageEvent::From(e);
    if (!m) {
        // The driver's notices of the samples play passed (1125) come as their own events.
        if (MetadataEvent(e)) return true;
        return QWidget::event(e);
    }
    // Every viewer message is answered, handled or not, as the panes expect of the viewer.
    Handlers().Dispatch(*this, *m);
    m->accept();
    return true;
}

void CViewer::OnSetTempFolder(const QString& path)
{
    tempFolder_ = path;
    if (tempFolder_.isEmpty() && host_ != nullptr) {
        tempFolder_ = host_->HostTempFolder();
    }
    QFile cabinet(QString::fromLatin1(StartupSequence::kSupportResource));
    const QByteArray bytes = cabinet.open(QIODevice::ReadOnly) ? cabinet.readAll() : QByteArray();
    StartupSequence::ExtractSupportBinaries(tempFolder_, bytes);
    StartupSequence::CopyMapDatabase(tempFolder_, QCoreApplication::applicationFilePath());
}

void CViewer::OnLogError(const QString& text)
{
    Logger::GetInstance()->Error(text);
}

void CViewer::OnShowFileInfo()
{
    QStringList open;
    for (const auto& v : videos_) {
        open << v->GetVideoFile()->path;
    }
    open.removeDuplicates();
    TimelineActions::ShowFileInfo(this, SelectedCamera(), open, WatermarkBadge::RowText(facade_, SelectedCamera()));
}

void CViewer::OnStartupComplete()
{
    timeline_->ReloadImages();
}
