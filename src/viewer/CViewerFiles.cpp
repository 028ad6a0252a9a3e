// Opening files and single cameras into tiles, registering and releasing files, and closing
// tiles: every close gives back the ports its open took (CloseVideo whatever the state, dewarp
// views released before their fisheye).
#include "viewer/CViewer.h"

#include "events/NavigatorItem.h"
#include "events/ViewerMessageDispatch.h"
#include "events/structTileInfo.h"
#include "evidence/Camera.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "navigator/CVideoFileSelector.h"
#include "timeline/CTimeline.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/IViewerHost.h"
#include "viewer/WatermarkReportSink.h"
#include "viewer/ViewerOpenRules.h"
#include "viewer/structPageInfo.h"

#include <QApplication>
#include <algorithm>
#include <set>

namespace {

// The application's title, the caption of the size refusal.
const QString kAppTitle = QStringLiteral("Ombrix Player");

// Device capability bytes 9 and 10: a device that plays all its cameras together.
bool PlaysWholeList(const Video* video)
{
    const Device* device = video->GetCamera()->GetDevice();
    return device != nullptr && device->GetCapability(9) != 0 && device->GetCapability(10) == 0;
}

} // namespace

std::vector<Video*> CViewer::Adopt(FalFacade::OwnedVideos opened)
{
    std::vector<Video*> listed;
    for (auto& video : opened) {
        listed.push_back(video.get());
        videos_.push_back(std::move(video));
    }
    return listed;
}

bool CViewer::AlreadyOpen(const QString& path) const
{
    return std::any_of(players_.begin(), players_.end(), [&](const std::unique_ptr<CVideoPlayer>& p) {
        return ViewerOpenRules::SameFile(p->GetVideo()->GetVideoFile()->path, path);
    });
}

void CViewer::RebuildPagesForOneMore()
{
    const std::vector<CVideoPlayer*> previous = GetAllVideoPlayersFromVideoPages();
    ClearVideoPages();
    CreateVideoPages(std::max<int>(1, static_cast<int>(previous.size()) + 1));
    for (CVideoPlayer* p : previous) {
        AddVideoPlayerInVideoPages(p);
    }
}

CVideoPlayer* CViewer::CreatePlayer(Video* video)
{
    if (video->title.isEmpty()) {
        video->title = video->GetCamera()->GetName();
    }
    auto owned = std::make_unique<CVideoPlayer>(video, &facade_, grid_);
    CVideoPlayer* player = owned.get();
    players_.push_back(std::move(owned));
    player->setWindowTitle(QStringLiteral("Camera 1"));
    player->setGeometry(1, 1, 250, 250);
    AddVideoPlayerInVideoPages(player);
    return player;
}

int CViewer::FirstEmptyCell() const
{
    for (int i = 0; i < grid_->Model().CellCount(); ++i) {
        if (grid_->Model().CellAt(i)->player == nullptr) {
            return i;
        }
    }
    return -1;
}

// The file's cameras play together; the first renders into the tile made for it, whichever cell
// that tile took.
void CViewer::PlaybackPlay(CVideoPlayer* player)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("PlaybackPlay"), [&] {
        player->GetVideo()->renderWindow = player->Surface();
        facade_.PlayVideos(&openFileCameras_);
        for (const auto& p : players_) {
            p->UpdateStatus();
            p->UpdateTitle();
        }
    });
}

void CViewer::ShowCameraInControlBar(Video* video, const VideoList& cameras)
{
    barVideos_ = cameras;
    const VideoFile* file = video->GetVideoFile();
    timeline_->SetVideos(&barVideos_);
    timeline_->SetTimeRange(file->startTime, file->endTime);
    const BookmarkList* bookmarks = BookmarksOf(video);
    timeline_->SetBookmarks(bookmarks);
    if (host_) host_->ShowBookmarks(bookmarks);
    timeline_->EnableControls(true, video->GetCamera()->GetDevice());
    timeline_->EnableScrolling(true);
    timeline_->SetPlaybackState(static_cast<int>(video->playbackState));
}

void CViewer::OpenFileFromPath(const QString& path, int navigatorFlag)
{
    if (!ViewerOpenRules::PassesSizeFloor(path)) {
        ShowMessage(QStringLiteral("File is corrupted or too small to play."), kAppTitle, QMessageBox::Ok,
                    QMessageBox::Critical);
        return;
    }
    // The same file again shows nothing, even with the layout full.
    if (AlreadyOpen(path)) {
        return;
    }
    if (static_cast<int>(players_.size()) >= CViewerCapabilities::TileCount(layoutMode_)) {
        ShowMessage(QStringLiteral("Maximum tile Count Reached"), QString(), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    openFileCameras_.clear();
    const std::vector<Video*> listed = Adopt(facade_.OpenVideoFile(path, tempFolder_));
    if (listed.empty()) {
        return;
    }
    CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr;
    Video* first = listed.front();
    if (first->GetVideoFile()->viewFlag && CViewerCapabilities::TileCount(layoutMode_) < 2) {
        if (navigator) navigator->AddCamerasToTreeView(listed, navigatorFlag);
        StopFile(listed);
        if (navigator) navigator->Refresh();
        ShowMessage(QStringLiteral("Maximum tile count reached"), QString(), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    openFileCameras_ = listed;
    RebuildPagesForOneMore();
    CVideoPlayer* player = CreatePlayer(first);
    if (const int cell = FirstEmptyCell(); cell >= 0) {
        grid_->Tileset(cell, player);
        first->GetCamera()->SetShownInTile(true);
    }
    if (host_) host_->SetStatusPane1(path);
    if (navigator) {
        navigator->AddCamerasToTreeView(listed, navigatorFlag);
        navigator->UpdateCameraOnOffStatus(first, true);
    }
    PlaybackPlay(player);
    ShowCameraInControlBar(first, openFileCameras_);
    first->rootCamera = first;
    first->cellOrder = 1;
    ApplyDisplayFlags(player);
    caption_->SetDeviceTitle(first->GetCamera()->GetDevice()->GetName());
    caption_->EnableFileControls(true);
    RefreshCaptionPageText();
    tileTimer_.stop();
    OnSelectCamera(first);
    MetadataFileOpened(first);
    JoinClockNewCameras();
    tileTimer_.start();
    if (first->deviceAudioByte != 0) {
        caption_->EnableAudioButton(true, ViewerCaptionState::kAudioOnPicture);
    }
    if (navigator) navigator->EnableSelectAll(true);
    if (first->GetVideoFile()->viewFlag) {
        if (first->GetVideoFile()->viewMode.isEmpty()) {
            first->GetVideoFile()->viewMode = QStringLiteral("PTZ");
        }
        SendViewerMessage<ViewerMessages::OpenDewarpView>(this, first, first->GetVideoFile()->viewMode);
    }
    Logger::GetInstance()->Info(QStringLiteral("Video File Opened Successfully : %1").arg(path));
}

// The cameras are read, listed and let go again: the file's open left no port behind.
void CViewer::OnRegisterLocalFile(const QString& path)
{
    if (!ViewerOpenRules::PassesSizeFloor(path)) {
        ShowMessage(QStringLiteral("File is corrupted or too small to play."), kAppTitle, QMessageBox::Ok,
                    QMessageBox::Critical);
        return;
    }
    if (AlreadyOpen(path)) {
        return;
    }
    const std::vector<Video*> listed = Adopt(facade_.OpenVideoFile(path, tempFolder_));
    CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr;
    if (navigator) navigator->AddCamerasToTreeView(listed, 0);
    StopFile(listed);
    for (Video* video : listed) {
        if (navigator) navigator->UpdateCameraOnOffStatus(video, false);
    }
    Logger::GetInstance()->Info(QStringLiteral("Video File Opened Successfully : %1").arg(path));
}

void CViewer::StopFile(const std::vector<Video*>& videos)
{
    if (videos.empty()) {
        return;
    }
    VideoList list(videos.begin(), videos.end());
    HandlerGuard::Run(HandlerGuard::ErrorIn("LocalFile close"), [&] { facade_.StopVideos(&list); });
}

void CViewer::OnPlaySelectedVideoFile(const QString& path)
{
    const Video* selected = SelectedCamera();
    if (selected == nullptr || !ViewerOpenRules::SameFile(selected->GetVideoFile()->path, path)) {
        OpenFileFromPath(path, 1);
    }
}

// The file's tiles close, every Video of it gives back its port, the navigator forgets the file
// and only then are its Videos freed.
void CViewer::OnReleaseVideoFile(const QString& path)
{
    WriteBackBookmarks({path});
    const auto ofFile = [&](const Video* v) { return ViewerOpenRules::SameFile(v->GetVideoFile()->path, path); };
    for (CVideoPlayer* player : Players()) {
        if (PlayerOf(player->GetVideo()) != nullptr && ofFile(player->GetVideo())) {
            OnCloseVideoPlayer(player->GetVideo());
        }
    }
    std::set<QString> spellings;
    for (const auto& v : videos_) {
        if (ofFile(v.get())) {
            spellings.insert(v->GetVideoFile()->path);
            CloseCamera(v.get());
        }
    }
    if (CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr) {
        for (const QString& spelling : spellings) {
            navigator->RemoveVideoFile(spelling);
        }
    }
    const auto gone = [&](const Video* v) { return ofFile(v); };
    std::erase_if(barVideos_, gone);
    std::erase_if(openFileCameras_, gone);
    for (const auto& v : videos_) {
        if (gone(v.get())) volumes_.Forget(v.get());
    }
    std::erase_if(videos_, [&](const std::unique_ptr<Video>& v) { return gone(v.get()); });
    std::erase_if(views_, [&](const std::unique_ptr<Video>& v) { return gone(v.get()); });
    timeline_->SetVideos(&barVideos_);
}

void CViewer::OnOpenVideoPlayer(NavigatorItem* item, structTileInfo* cell)
{
    if (item == nullptr || (cell != nullptr && cell->player != nullptr) || currentPage_ != 0) {
        return;
    }
    OpenSingleCamera(*item, cell);
}

void CViewer::OnOpenVideoFileAndPlaySingleCamera(Video* video, const QString& path)
{
    NavigatorItem item;
    item.kind = NavigatorItem::Camera;
    item.path = path;
    item.video = video;
    OpenSingleCamera(item, nullptr);
}

void CViewer::OpenSingleCamera(const NavigatorItem& item, structTileInfo* cell)
{
    Video* requested = item.video;
    if (requested == nullptr) {
        return;
    }
    const QString path = item.path.isEmpty() ? requested->GetVideoFile()->path : item.path;
    const int channel = requested->GetCamera()->GetChannel();
    // The camera already has its tile: it goes back to its recording start instead.
    for (const auto& p : players_) {
        Video* shown = p->GetVideo();
        if (shown->dewarpView == 0 && shown->GetCamera()->GetChannel() == channel
            && ViewerOpenRules::SameFile(shown->GetVideoFile()->path, path)) {
            facade_.SeekVideo(shown, shown->GetVideoFile()->startTime);
            return;
        }
    }
    currentPosition_ = 0;
    const int tiles = CViewerCapabilities::TileCount(layoutMode_);
    const bool fisheye = requested->GetVideoFile()->viewFlag;
    if ((!fisheye && static_cast<int>(players_.size()) >= tiles) || (fisheye && tiles < 2)) {
        ShowMessage(QStringLiteral("Maximum tile count reached"), QString(), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    const std::vector<Video*> listed = Adopt(facade_.OpenVideoFile(path, tempFolder_));
    if (listed.empty()) {
        return;
    }
    const auto found = std::find_if(listed.begin(), listed.end(),
                                    [&](const Video* v) { return v->GetCamera()->GetChannel() == channel; });
    if (found == listed.end()) {
        StopFile(listed);
        return;
    }
    Video* video = *found;
    video->title = video->GetCamera()->GetName();
    openFileCameras_ = listed;
    const bool wholeList = PlaysWholeList(video);
    // One camera, one Video: the others of this open get no tile and give back their ports, and
    // the Video the navigator held for this camera is closed in favour of the new one.
    if (!wholeList) {
        for (Video* other : listed) {
            if (other != video) {
                CloseCamera(other);
            }
        }
    }
    CVideoFileSelector* navigator = host_ != nullptr ? host_->Navigator() : nullptr;
    if (navigator) navigator->UpdateVideoStatus(video);
    if (requested != video && PlayerOf(requested) == nullptr) {
        CloseCamera(requested);
    }

    RebuildPagesForOneMore();
    CVideoPlayer* player = CreatePlayer(video);
    const int target = cell != nullptr ? grid_->Model().IndexOf(cell) : FirstEmptyCell();
    if (target >= 0 && grid_->Model().CellAt(target)->player == nullptr) {
        grid_->Tileset(target, player);
        video->GetCamera()->SetShownInTile(true);
    }
    if (host_) host_->SetStatusPane1(path);
    if (navigator) navigator->UpdateCameraOnOffStatus(video, true);
    video->renderWindow = player->Surface();
    if (wholeList) {
        facade_.PlayVideos(&openFileCameras_);
    } else {
        facade_.PlayVideo(video);
    }
    caption_->SetDeviceTitle(video->GetCamera()->GetDevice()->GetName());
    caption_->EnableFileControls(true);
    RefreshCaptionPageText();
    ShowCameraInControlBar(video, VideoList{video});
    ApplyDisplayFlags(player);
    player->UpdateStatus();
    player->UpdateTitle();
    if (navigator) {
        navigator->SelectCameraOnTreeView(video);
        navigator->EnableSelectAll(true);
    }
    cellOrder_ = video->cellOrder;
    tileTimer_.start();
    OnSelectCamera(video);
    JoinClockNewCameras();
    if (video->deviceAudioByte != 0) {
        caption_->EnableAudioButton(true, ViewerCaptionState::kAudioOnPicture);
    }
    if (fisheye) {
        if (video->GetVideoFile()->viewMode.isEmpty()) {
            video->GetVideoFile()->viewMode = QStringLiteral("PTZ");
        }
        SendViewerMessage<ViewerMessages::OpenDewarpView>(this, video, video->GetVideoFile()->viewMode);
    }
    Logger::GetInstance()->Info(QStringLiteral("Video File Opened Successfully : %1").arg(path));
}

// Gives back what a camera's open took, whatever its state: a dewarp view through the dewarp
// calls, a camera with CloseVideo after its dewarp views. Each call is guarded so that one
// failure does not stop the others.
void CViewer::CloseCamera(Video* video)
{
    ClockCameraClosing(video);
    const Device* device = video->GetCamera()->GetDevice();
    if (facade_.DriverOf(device) == nullptr) {
        return;  // its file was stopped whole: nothing is held any more
    }
    if (video->dewarpView != 0) {
        HandlerGuard::Run(HandlerGuard::ErrorIn("CloseVideoPlayer"), [&] { facade_.CloseDewarpView(video); });
        HandlerGuard::Run(HandlerGuard::ErrorIn("CloseVideoPlayer"), [&] { facade_.DewarpClose(video); });
        return;
    }
    for (CVideoPlayer* p : Players()) {
        if (p->GetVideo()->dewarpView != 0 && p->GetVideo()->rootCamera == video) {
            CloseDewarpViewPlayer(p);
        }
    }
    HandlerGuard::Run(HandlerGuard::ErrorIn("CloseVideoPlayer"), [&] { facade_.CloseVideo(video); });
}

// Out of its cell and the pages, then destroyed: the tile lets go of its surface first.
void CViewer::DestroyPlayer(CVideoPlayer* player)
{
    grid_->RemovePlayer(player);
    for (auto& page : pages_) {
        std::erase(page->players, player);
    }
    std::erase_if(players_, [player](const std::unique_ptr<CVideoPlayer>& p) { return p.get() == player; });
}

void CViewer::OnCloseVideoPlayer(Video* video)
{
    CVideoPlayer* player = PlayerOf(video);
    if (player == nullptr) {
        return;
    }
    const bool wasMaximised = singleTileMaximized_ != 0;
    if (wasMaximised) {
        RestoreSingleTile();
    }
    for (CVideoPlayer* p : Players()) {
        if (p != player && p->GetVideo()->dewarpView != 0 && p->GetVideo()->rootCamera == video) {
            CloseDewarpViewPlayer(p);
        }
    }
    if (video->dewarpView != 0) {
        CloseDewarpViewPlayer(player);
    } else {
        video->GetCamera()->SetShownInTile(false);
        DestroyPlayer(player);
        CloseCamera(video);
        if (host_ && host_->Navigator()) host_->Navigator()->UpdateCameraOnOffStatus(video, false);
    }
    std::erase(barVideos_, video);
    const ViewerGridModel::Players left = grid_->PlayersInCells();
    if (left.empty()) {
        ResetAfterLastClose();
    } else if (grid_->SelectedPlayer() == nullptr) {
        // The selection never stays on a closed camera: the first remaining tile takes it.
        OnSelectCamera(left.front()->GetVideo());
    }
    if (wasMaximised) {
        SizingViewer();
    }
    Logger::GetInstance()->Info(QStringLiteral("Video Player closed successfully"));
}

void CViewer::ResetAfterLastClose()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OnCloseAllVideoPlayers();
    caption_->SetDeviceTitle(QString());
    if (host_) host_->SetStatusPane1(QString());
    barVideos_.clear();
    timeline_->SetVideos(&barVideos_);
    timeline_->EnableControls(false, nullptr);
    timeline_->update();
    if (host_ && host_->Navigator()) {
        host_->Navigator()->EnableSelectAll(false);
        host_->Navigator()->Refresh();
    }
    QApplication::restoreOverrideCursor();
}

void CViewer::OnCloseAllVideoPlayers()
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("CloseAllVideoPlayers"), [&] {
        tileTimer_.stop();
        if (!players_.empty()) {
            CloseLocalFile();
            timeline_->ClearData();
            timeline_->EnableControls(false, nullptr);
            caption_->SetDeviceTitle(QString());
            if (host_) host_->SetStatusPane1(QString());
        }
        ClearVideoPages();
        currentPage_ = 0;
        caption_->ResetPageText();
        caption_->EnableFileControls(false);
        barVideos_.clear();
        timeline_->SetVideos(&barVideos_);
        timeline_->EnableControls(false, nullptr);
        timeline_->EnableScrolling(false);
        timeline_->SetPlaybackState(0);
        if (host_ && host_->Navigator()) {
            host_->Navigator()->EnableSelectAll(false);
            host_->Navigator()->Refresh();
        }
        watermarks_->HideWindow();
        Logger::GetInstance()->Info(QStringLiteral("CloseAll Videoplayers successful"));
    });
}

void CViewer::OnCloseAllVideoPlayersRequest()
{
    // The main frame is closing: the viewer's own close, as every pane would see it. Without tiles
    // that close releases nothing, but unsaved bookmarks of files still listed are asked for.
    const bool tiles = !players_.empty();
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(this);
    if (!tiles) {
        WriteBackBookmarks({});
    }
}

// Every tile goes, and every Video of the files they showed gives back its port, tile or not.
void CViewer::CloseLocalFile()
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("LocalFile close"), [&] {
        // Everything goes: no lead to hand on.
        LeaveClock();
        MetadataFilesClosed();
        const VideoList cameras = AllCameras();
        if (!cameras.empty()) {
            std::set<QString> files;
            for (Video* video : cameras) {
                video->GetCamera()->SetShownInTile(false);
                files.insert(ViewerOpenRules::CanonicalPath(video->GetVideoFile()->path));
            }
            for (CVideoPlayer* p : Players()) {
                if (p->GetVideo()->dewarpView != 0) {
                    CloseDewarpViewPlayer(p);
                }
            }
            for (CVideoPlayer* p : Players()) {
                DestroyPlayer(p);
            }
            grid_->SetSelectedPlayer(nullptr);
            ClearVideoPages();
            for (const auto& v : videos_) {
                if (v->dewarpView == 0 && files.count(ViewerOpenRules::CanonicalPath(v->GetVideoFile()->path)) != 0) {
                    CloseCamera(v.get());
                }
            }
            if (host_ && host_->Navigator()) {
                for (Video* video : cameras) {
                    host_->Navigator()->UpdateCameraOnOffStatus(video, false);
                }
            }
            singleTileMaximized_ = 0;
            grid_->SetSingleTileMaximized(false);
        }
        barVideos_.clear();
        timeline_->SetVideos(&barVideos_);
        timeline_->EnableControls(false, nullptr);
        caption_->EnableFileControls(false);
        caption_->EnablePageButtons(false);
        currentPage_ = 0;
        Logger::GetInstance()->Info(QStringLiteral("Video File Closed Successfully"));
    });
    WriteBackBookmarks({});
}
