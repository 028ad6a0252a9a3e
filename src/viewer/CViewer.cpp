#include "viewer/CViewer.h"

#include "events/CCoordinatorViewerTimeline.h"
#include "events/ViewerMessageDispatch.h"
#include "viewer/CVideoPlayer.h"
#include "startup/StartupSequence.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "timeline/CTimeline.h"
#include "timeline/TimelineActions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPalette>

CViewer::CViewer(QWidget* parent) : QWidget(parent)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    setPalette(p);
    setAutoFillBackground(true);
    tileTimer_.setInterval(500);
    connect(&tileTimer_, &QTimer::timeout, this, [this] {
        HandlerGuard::Run("setplaybackstate", [this] {
            if (tile_ != nullptr) {
                tile_->SetTime(facade_.GetVideoTime(tile_->GetVideo()));
                tile_->UpdateStatus();
            }
        });
    });
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
    if (tile_ != nullptr) {
        tile_->setGeometry(TileArea());
    }
}

QRect CViewer::TileArea() const
{
    return QRect(0, 0, width(), std::max(0, height() - timeline_->sizeHint().height()));
}

Video* CViewer::SelectedCamera() const
{
    return barVideos_.empty() ? nullptr : barVideos_.front();
}

const ViewerMessageHandlers<CViewer>& CViewer::Handlers()
{
    using namespace ViewerMessages;
    static const ViewerMessageHandlers<CViewer> handlers = [] {
        ViewerMessageHandlers<CViewer> h;
        h.On<SetTempFolder>(&CViewer::OnSetTempFolder)
            .On<OpenLocalFile>(&CViewer::OnOpenLocalFile)
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
        Logger::GetInstance()->Info(QStringLiteral("Video File Opened Successfully : %1").arg(path));
        ShowInterimTile(listed.front());
    }
}

// Until the grid and the viewer's pages exist: the file's first camera plays in one tile over
// the viewer's area, replacing the tile of an earlier file.
void CViewer::ShowInterimTile(Video* video)
{
    tileTimer_.stop();
    tile_.reset();
    if (video->title.isEmpty()) {
        video->title = video->GetCamera()->GetName();
    }
    tile_ = std::make_unique<CVideoPlayer>(video, &facade_, this);
    tile_->setGeometry(TileArea());
    tile_->show();
    video->renderWindow = tile_->Surface();
    facade_.PlayVideo(video);
    tile_->UpdateTitle();
    tile_->UpdateStatus();
    tileTimer_.start();
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
    TimelineActions::ShowFileInfo(this, SelectedCamera(), open);
}

void CViewer::OnStartupComplete()
{
    timeline_->ReloadImages();
}

void CViewer::OnCloseAllVideoPlayers()
{
    tileTimer_.stop();
    tile_.reset();
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
