#include "timeline/CTimelineExportSnapshotDlg.h"

#include "events/ViewerMessageDispatch.h"
#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/Video.h"
#include "logging/HandlerGuard.h"
#include "timeline/TimelineIds.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace {

QString DisplayTitle(const Video* video)
{
    if (!video->title.isEmpty()) {
        return video->title;
    }
    return video->GetCamera() != nullptr ? video->GetCamera()->GetName() : QString();
}

QString DeviceTitle(const Video* video)
{
    const Camera* camera = video != nullptr ? video->GetCamera() : nullptr;
    const Device* device = camera != nullptr ? camera->GetDevice() : nullptr;
    return device != nullptr ? device->GetName() : QString();
}

template <typename W>
W* Named(W* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

CTimelineExportSnapshotDlg::CTimelineExportSnapshotDlg(QObject* viewer, QWidget* parent)
    : QDialog(parent), viewer_(viewer)
{
    using namespace TimelineIds;
    setObjectName(QString::number(SnapshotDialog));
    setWindowTitle(QStringLiteral("Save Snapshot"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Snapshot File"), this), 0, 0);
    folder_ = Named(new QLineEdit(QDir::homePath() + QStringLiteral("/Snapshots"), this), SnapshotFolder);
    grid->addWidget(folder_, 0, 1);
    auto* browse = Named(new QPushButton(QStringLiteral("..."), this), SnapshotBrowse);
    browse->setFixedWidth(32);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Device Title:"), this), 1, 0);
    deviceTitle_ = Named(new QLabel(this), SnapshotDeviceTitle);
    grid->addWidget(deviceTitle_, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Time:"), this), 2, 0);
    timeLabel_ = Named(new QLabel(this), SnapshotTime);
    grid->addWidget(timeLabel_, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Cameras:"), this), 3, 0, Qt::AlignTop);
    cameras_ = Named(new QListWidget(this), SnapshotCameras);
    grid->addWidget(cameras_, 3, 1, 1, 2);
    ok_ = Named(new QPushButton(QStringLiteral("Snapshot"), this), SnapshotOk);
    ok_->setDefault(true);
    grid->addWidget(ok_, 4, 1, 1, 2, Qt::AlignRight);

    connect(browse, &QPushButton::clicked, this, &CTimelineExportSnapshotDlg::OnBnClickedBtnBrowseFolder);
    connect(ok_, &QPushButton::clicked, this, &CTimelineExportSnapshotDlg::OnBnClickedOk);
    connect(cameras_, &QListWidget::itemChanged, this, &CTimelineExportSnapshotDlg::UpdateSnapshotButton);
}

void CTimelineExportSnapshotDlg::SetCameras(const std::vector<Video*>& cameras)
{
    videos_ = cameras;
    deviceTitle_->setText(cameras.empty() ? QString() : DeviceTitle(cameras.front()));
    const QSignalBlocker quiet(cameras_);
    cameras_->clear();
    for (const Video* video : cameras) {
        auto* item = new QListWidgetItem(DisplayTitle(video), cameras_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    UpdateSnapshotButton();
}

void CTimelineExportSnapshotDlg::SetTime(qint64 time)
{
    time_ = time;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(time);
    timeLabel_->setText(QLocale::system().toString(when, QLocale::ShortFormat));
}

QString CTimelineExportSnapshotDlg::Folder() const
{
    return folder_->text();
}

void CTimelineExportSnapshotDlg::SetFolder(const QString& folder)
{
    folder_->setText(folder);
}

void CTimelineExportSnapshotDlg::UpdateSnapshotButton()
{
    bool any = false;
    for (int i = 0; i < cameras_->count() && !any; ++i) {
        any = cameras_->item(i)->checkState() == Qt::Checked;
    }
    ok_->setEnabled(any);
}

void CTimelineExportSnapshotDlg::OnBnClickedBtnBrowseFolder()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnBnClickedBtnBrowseFolder: %s"), [&] {
        const QString chosen = browse_ ? browse_(this, Folder())
                                       : QFileDialog::getExistingDirectory(this, QStringLiteral("Browse For Folder"), Folder());
        if (!chosen.isEmpty()) {
            folder_->setText(chosen);
        }
    });
}

void CTimelineExportSnapshotDlg::OnBnClickedOk()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnBnClickedOk: %s"), [&] {
        SnapshotRequest request;
        request.folder = Folder();
        request.time = time_;
        for (int i = 0; i < cameras_->count() && i < static_cast<int>(videos_.size()); ++i) {
            if (cameras_->item(i)->checkState() == Qt::Checked) {
                request.cameras.push_back(videos_[static_cast<size_t>(i)]);
            }
        }
        if (request.cameras.empty()) {
            return;
        }
        SendViewerMessage<ViewerMessages::SaveSnapshots>(viewer_, static_cast<void*>(&request));
        hide();
    });
}
