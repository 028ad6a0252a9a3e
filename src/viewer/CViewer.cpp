#include "viewer/CViewer.h"

#include "events/ViewerMessageDispatch.h"
#include "viewer/CVideoPlayer.h"
#include "startup/StartupSequence.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"

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
}

CViewer::~CViewer()
{
    OnCloseAllVideoPlayers();
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
            .On<LogError>(&CViewer::OnLogError);
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
    tile_->setGeometry(rect());
    tile_->show();
    video->renderWindow = tile_->Surface();
    facade_.PlayVideo(video);
    tile_->UpdateTitle();
    tile_->UpdateStatus();
    tileTimer_.start();
}

void CViewer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (tile_ != nullptr) {
        tile_->setGeometry(rect());
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

void CViewer::OnCloseAllVideoPlayers()
{
    tileTimer_.stop();
    tile_.reset();
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
