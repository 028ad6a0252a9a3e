#include "viewer/CViewer.h"

#include "events/CCoordinatorViewerGrid.h"
#include "events/CCoordinatorViewerTimeline.h"
#include "events/ViewerMessageDispatch.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/structPageInfo.h"
#include "viewer/WatermarkBadge.h"
#include "evidence/Camera.h"
#include "startup/StartupSequence.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "timeline/CTimeline.h"
#include "timeline/TimelineActions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPalette>

CViewer::CViewer(QWidget* parent, const VdlAdapter* vdl) : QWidget(parent), facade_(vdl)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    setPalette(p);
    setAutoFillBackground(true);
    tileTimer_.setInterval(500);
    connect(&tileTimer_, &QTimer::timeout, this, [this] {
        HandlerGuard::Run("setplaybackstate", [this] {
            RefreshTiles();
        });
    });
    gridCoordinator_ = std::make_unique<CCoordinatorViewerGrid>(this);
    grid_ = new CViewerGridLayout(this);
    grid_->SetCoordinator(gridCoordinator_.get());
    grid_->SetLayout(layoutMode_);
    layoutButtonPicture_ = CViewerCapabilities::LayoutOf(layoutMode_).pictureId;
    timelineCoordinator_ = std::make_unique<CCoordinatorViewerTimeline>(this);
    timeline_ = new CTimeline(timelineCoordinator_.get(), this);
    timelineCoordinator_->SetControlBarWindow(timeline_);
}

CViewer::~CViewer()
{
    OnCloseAllVideoPlayers();
    timelineCoordinator_.reset();
}

void CViewer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int barHeight = timeline_->sizeHint().height();
    timeline_->setGeometry(0, height() - barHeight, width(), barHeight);
    grid_->setGeometry(GridArea());
}

// The grid takes the viewer's area above the control bar.
QRect CViewer::GridArea() const
{
    return QRect(0, 0, width(), std::max(0, height() - timeline_->sizeHint().height()));
}

Video* CViewer::SelectedCamera() const
{
    if (grid_ != nullptr && grid_->SelectedPlayer() != nullptr) {
        return grid_->SelectedPlayer()->GetVideo();
    }
    return barVideos_.empty() ? nullptr : barVideos_.front();
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

void CViewer::RefreshTiles()
{
    for (const auto& player : players_) {
        player->SetTime(facade_.GetVideoTime(player->GetVideo()));
        player->UpdateStatus();
    }
}

const ViewerMessageHandlers<CViewer>& CViewer::Handlers()
{
    using namespace ViewerMessages;
    static const ViewerMessageHandlers<CViewer> handlers = [] {
        ViewerMessageHandlers<CViewer> h;
        h.On<SetTempFolder>(&CViewer::OnSetTempFolder)
            .On<OpenLocalFile>(&CViewer::OnOpenLocalFile)
            .On<SetLayout>(&CViewer::OnSetLayout)
            .On<CloseVideoPlayer>(&CViewer::OnCloseVideoPlayer)
            .On<SetPreserveAspectRatio>(&CViewer::OnSetPreserveAspectRatio)
            .On<RegisterLocalFile>(&CViewer::OnRegisterLocalFile)
            .On<CloseAllVideoPlayers>(&CViewer::OnCloseAllVideoPlayers)
            .On<CloseAllVideoPlayersRequest>(&CViewer::OnCloseAllVideoPlayersRequest)
            .On<LogError>(&CViewer::OnLogError)
            .On<ViewerMessages::OnGoToTime>(&CViewer::OnGoToTime)
            .On<ViewerMessages::OnShowFileInfo>(&CViewer::OnShowFileInfo)
            .On<StartupComplete>(&CViewer::OnStartupComplete);
        return h;
    }();
    return handlers;
}

bool CViewer::event(QEvent* e)
{
    ViewerMessageEvent* m = ViewerMessageEvent::From(e);
    if (!m) {
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
    QFile cabinet(QString::fromLatin1(StartupSequence::kSupportResource));
    const QByteArray bytes = cabinet.open(QIODevice::ReadOnly) ? cabinet.readAll() : QByteArray();
    StartupSequence::ExtractSupportBinaries(tempFolder_, bytes);
    StartupSequence::CopyMapDatabase(tempFolder_, QCoreApplication::applicationFilePath());
}

void CViewer::OnOpenLocalFile(const QString& path)
{
    if (static_cast<int>(players_.size()) >= CViewerCapabilities::TileCount(layoutMode_)) {
        ShowMessage(QStringLiteral("Maximum tile Count Reached"), QString(), QMessageBox::Ok, QMessageBox::NoIcon);
        return;
    }
    for (const auto& player : players_) {
        if (player->GetVideo()->GetVideoFile()->path == path) {
            return;
        }
    }
    FalFacade::OwnedVideos opened = facade_.OpenVideoFile(path, QFileInfo(path).absolutePath());
    std::vector<Video*> listed;
    for (auto& video : opened) {
        listed.push_back(video.get());
        videos_.push_back(std::move(video));
    }
    if (onFileListed) {
        onFileListed(path, listed);
    }
    if (!listed.empty()) {
        // The control bar shows the opened file's first camera.
        barVideos_ = listed;
        const VideoFile* file = listed.front()->GetVideoFile();
        timeline_->SetVideos(&barVideos_);
        timeline_->SetTimeRange(file->startTime, file->endTime);
        timeline_->SetBookmarks(&file->bookmarks);
        timeline_->EnableControls(true, listed.front()->GetCamera()->GetDevice());
        timeline_->EnableScrolling(true);
        timeline_->SetPlaybackState(static_cast<int>(listed.front()->playbackState));
        PlaceFirstCamera(listed.front());
        Logger::GetInstance()->Info(QStringLiteral("Video File Opened Successfully : %1").arg(path));
    }
}

// The file's first camera gets a tile in the first empty cell and plays; the pages are rebuilt
// with room for it.
void CViewer::PlaceFirstCamera(Video* video)
{
    const std::vector<CVideoPlayer*> previous = GetAllVideoPlayersFromVideoPages();
    ClearVideoPages();
    CreateVideoPages(std::max<int>(1, static_cast<int>(previous.size()) + 1));
    for (CVideoPlayer* p : previous) {
        AddVideoPlayerInVideoPages(p);
    }
    if (video->title.isEmpty()) {
        video->title = video->GetCamera()->GetName();
    }
    auto owned = std::make_unique<CVideoPlayer>(video, &facade_, grid_);
    CVideoPlayer* player = owned.get();
    players_.push_back(std::move(owned));
    player->setWindowTitle(QStringLiteral("Camera 1"));
    player->setGeometry(1, 1, 250, 250);
    AddVideoPlayerInVideoPages(player);
    int cell = -1;
    for (int i = 0; i < grid_->Model().CellCount(); ++i) {
        if (grid_->Model().CellAt(i)->player == nullptr) {
            cell = i;
            break;
        }
    }
    if (cell >= 0) {
        grid_->Tileset(cell, player);
        video->GetCamera()->SetShownInTile(true);
    }
    video->renderWindow = player->Surface();
    video->rootCamera = video;
    video->cellOrder = 1;
    ApplyDisplayFlags(player);
    facade_.PlayVideo(video);
    player->UpdateTitle();
    player->UpdateStatus();
    MarkSelected(player);
    tileTimer_.start();
}

void CViewer::ApplyDisplayFlags(CVideoPlayer* player)
{
    player->SetShowTime(showVideoTime_);
    player->SetShowMilliseconds(showMilliseconds_);
}

// The grid's selection moves to the player, its strips green and the others' grey.
void CViewer::MarkSelected(CVideoPlayer* player)
{
    if (CVideoPlayer* previous = grid_->SelectedPlayer(); previous != nullptr && previous != player) {
        previous->SetStripColour(CViewerGridLayout::UnselectedStripColour());
    }
    player->SetStripColour(CViewerGridLayout::SelectedStripColour());
    grid_->SetSelectedPlayer(player);
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

void CViewer::OnRegisterLocalFile(const QString& path)
{
    if (onFileListed) {
        onFileListed(path, {});
    }
}

void CViewer::OnCloseAllVideoPlayersRequest()
{
    // The main frame is closing: the viewer's own close, as every pane would see it.
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(this);
}

void CViewer::OnLogError(const QString& text)
{
    Logger::GetInstance()->Error(text);
}

void CViewer::OnGoToTime()
{
    TimelineActions::GoToSpecificTime(this, SelectedCamera(), [this](qint64 t) {
        for (Video* v : barVideos_) {
            facade_.SeekVideo(v, t);
        }
        timeline_->SetCursorTime(t);
    });
}

void CViewer::OnShowFileInfo()
{
    QStringList open;
    for (const auto& v : videos_) {
        open << v->GetVideoFile()->path;
    }
    TimelineActions::ShowFileInfo(this, SelectedCamera(), open, WatermarkBadge::RowText(facade_, SelectedCamera()));
}

void CViewer::OnStartupComplete()
{
    timeline_->ReloadImages();
}

void CViewer::OnCloseAllVideoPlayers()
{
    tileTimer_.stop();
    if (grid_ != nullptr) {
        for (const auto& player : players_) {
            grid_->RemovePlayer(player.get());
        }
    }
    players_.clear();
    pages_.clear();
    currentPage_ = 0;
    if (timeline_) {
        barVideos_.clear();
        timeline_->ClearData();
        timeline_->EnableControls(false, nullptr);
        timeline_->EnableScrolling(false);
        timeline_->SetPlaybackState(0);
    }
    {
        // One stop per device: each file's videos share the driver of their device.
        while (!videos_.empty()) {
            const Device* device = videos_.front()->GetCamera()->GetDevice();
            VideoList list;
            for (auto& v : videos_) {
                if (v->GetCamera()->GetDevice() == device) {
                    list.push_back(v.get());
                }
            }
            HandlerGuard::Run("CloseAllVideoPlayers", [&] { facade_.StopVideos(&list); });
            std::erase_if(videos_, [device](const std::unique_ptr<Video>& v) {
                return v->GetCamera()->GetDevice() == device;
            });
        }
    }
}
