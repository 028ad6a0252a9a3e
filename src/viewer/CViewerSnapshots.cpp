// Snapshots: the export dialog (1141) and its request (1150), and the File menu's two ways of
// taking the selected tile's frame at once, to a file or to the clipboard. Every picture comes
// with the time of its own frame from the same library call, so what is drawn and named is the
// frame on screen, whatever the other cameras or the time scale show.
#include "viewer/CViewer.h"

#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/FalException.h"
#include "logging/Logger.h"
#include "timeline/CTimelineExportSnapshotDlg.h"
#include "viewer/IViewerHost.h"
#include "viewer/SnapshotComposer.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

namespace {

QString CameraTitle(const Video* video)
{
    if (!video->title.isEmpty()) {
        return video->title;
    }
    return video->GetCamera() != nullptr ? video->GetCamera()->GetName() : QString();
}

QString DeviceTitle(const Video* video)
{
    const Camera* camera = video->GetCamera();
    const Device* device = camera != nullptr ? camera->GetDevice() : nullptr;
    return device != nullptr ? device->GetName() : QString();
}

int CameraNumber(const Video* video)
{
    return video->GetCamera() != nullptr ? video->GetCamera()->GetChannel() : 0;
}

QMessageBox::Icon BoxIcon(SnapshotComposer::Icon icon)
{
    switch (icon) {
    case SnapshotComposer::Icon::Critical: return QMessageBox::Critical;
    case SnapshotComposer::Icon::Warning: return QMessageBox::Warning;
    default: return QMessageBox::Information;
    }
}

QString DefaultFolder()
{
    return QDir::homePath() + QStringLiteral("/Snapshots");
}

} // namespace

std::optional<CViewer::Snapshot> CViewer::TakeSnapshot(Video* video, qint64 fallbackTime)
{
    SnapshotFrame shot;
    try {
        shot = facade_.GetSnapshotAndFrame(video);
    } catch (const FalException& e) {
        Logger::GetInstance()->Error(e.Message());
        return std::nullopt;
    }
    if (!SnapshotComposer::Usable(shot.image)) {
        return std::nullopt;
    }
    // The frame's own wall clock; a library that could not tell leaves the requested time.
    const qint64 time = shot.frame.wallClockMillis > 0 ? shot.frame.wallClockMillis / 1000 : fallbackTime;
    Snapshot s;
    s.time = time;
    s.image = SnapshotComposer::Compose(shot.image, CameraTitle(video), time, DeviceTitle(video));
    return s;
}

void CViewer::OnShowSaveSnapshots()
{
    VideoList cameras;
    for (Video* video : DisplayedCameras()) {
        if (video->dewarpView == 0) {
            cameras.push_back(video);
        }
    }
    if (cameras.empty()) {
        return;
    }
    Logger::GetInstance()->Info(QStringLiteral("Save Snapshots requested"));
    if (!snapshotDlg_) {
        snapshotDlg_ = std::make_unique<CTimelineExportSnapshotDlg>(this, this);
    }
    snapshotDlg_->SetCameras(cameras);
    snapshotDlg_->SetTime(currentPosition_);
    snapshotDlg_->show();
    snapshotDlg_->raise();
}

void CViewer::OnSaveSnapshots(void* request)
{
    if (request == nullptr) {
        throw FalException(QStringLiteral("Snapshot request is null"));
    }
    const auto& r = *static_cast<const SnapshotRequest*>(request);
    const QString prefix = SnapshotComposer::FolderPrefix(r.folder);
    // One level, tried once: a folder that still is not there makes every save below fail.
    QDir().mkdir(r.folder);
    // An empty folder text would put the files at the root of the file system.
    const bool noFolder = r.folder.trimmed().isEmpty();
    QStringList failed;
    for (size_t i = 0; i < r.cameras.size(); ++i) {
        Video* video = r.cameras[i];
        const std::optional<Snapshot> shot = noFolder ? std::nullopt : TakeSnapshot(video, r.time);
        const bool saved = shot
            && SnapshotComposer::Save(shot->image, SnapshotComposer::FreePath(
                                                       prefix + SnapshotComposer::FileName(static_cast<int>(i), DeviceTitle(video),
                                                                                           CameraNumber(video), shot->time)));
        if (!saved) {
            failed << CameraTitle(video);
        }
    }
    const SnapshotComposer::Outcome outcome = SnapshotComposer::Result(static_cast<int>(r.cameras.size()), failed, r.folder);
    if (outcome.logIsError) {
        Logger::GetInstance()->Error(outcome.log);
    } else {
        Logger::GetInstance()->Info(outcome.log);
    }
    ShowMessage(outcome.text, SnapshotComposer::kCaption, QMessageBox::Ok, BoxIcon(outcome.icon));
}

void CViewer::OnSnapshotSelectedTile()
{
    Video* video = SelectedCamera();
    if (video == nullptr) {
        return;
    }
    const QString folder = snapshotDlg_ ? snapshotDlg_->Folder() : DefaultFolder();
    QDir().mkdir(folder);
    const std::optional<Snapshot> shot = TakeSnapshot(video, currentPosition_);
    const QString path = shot ? SnapshotComposer::FreePath(SnapshotComposer::FolderPrefix(folder)
                                                           + SnapshotComposer::FileName(0, DeviceTitle(video), CameraNumber(video), shot->time))
                              : QString();
    if (!shot || !SnapshotComposer::Save(shot->image, path)) {
        Logger::GetInstance()->Error(QStringLiteral("1 Snapshots could not be saved"));
        ShowMessage(QStringLiteral("Couldn't save snapshots"), SnapshotComposer::kCaption, QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
    const QString text = QStringLiteral("Snapshot saved : %1").arg(path);
    Logger::GetInstance()->Info(text);
    if (host_ != nullptr) {
        host_->SetStatusPane1(text);
    }
}

void CViewer::OnCopySnapshotToClipboard()
{
    Video* video = SelectedCamera();
    if (video == nullptr) {
        return;
    }
    if (const std::optional<Snapshot> shot = TakeSnapshot(video, currentPosition_)) {
        QGuiApplication::clipboard()->setImage(shot->image);
        return;
    }
    ShowMessage(QStringLiteral("Couldn't save snapshots"), SnapshotComposer::kCaption, QMessageBox::Ok, QMessageBox::Critical);
}
