#include "viewer/CViewer.h"

#include "events/CCoordinatorViewerTimeline.h"
#include "events/ViewerMessageDispatch.h"
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
}

Video* CViewer::SelectedCamera() const
{
    return barVideos_.empty() ? nullptr : barVideos_.front();
}

void CViewer::OnInitialSetup() {}

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
    }
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
