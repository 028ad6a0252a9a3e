#include "navigator/CVideoFileSelector.h"

#include "events/IPlomeraViewEvents.h"
#include "events/NavigatorItem.h"
#include "evidence/Camera.h"
#include "evidence/Video.h"
#include "evidence/VideoFile.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kVideoRole = Qt::UserRole + 1;
constexpr int kChannelRole = Qt::UserRole + 2;
} // namespace

CVideoFileSelector::CVideoFileSelector(QWidget* parent)
    : QWidget(parent), tree_(new QTreeWidget(this)), selectAll_(new QCheckBox(QStringLiteral("Select All"), this))
{
    tree_->setHeaderHidden(true);
    tree_->setExpandsOnDoubleClick(false);  // a double click opens; the arrow folds
    selectAll_->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(selectAll_);
    layout->addWidget(tree_);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) { OnDoubleClick(item); });
    connect(selectAll_, &QCheckBox::clicked, this, [this](bool on) {
        if (IPlomeraViewEvents* events = events_ ? events_() : nullptr) events->SelectAllCameras(on);
    });
}

Video* CVideoFileSelector::ItemVideo(const QTreeWidgetItem* item)
{
    return item != nullptr ? static_cast<Video*>(item->data(0, kVideoRole).value<void*>()) : nullptr;
}

QTreeWidgetItem* CVideoFileSelector::FileItem(const QString& path)
{
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree_->topLevelItem(i);
        if (item->data(0, kPathRole).toString() == path) {
            return item;
        }
    }
    auto* item = new QTreeWidgetItem(tree_, {QFileInfo(path).fileName()});
    item->setData(0, kPathRole, path);
    item->setToolTip(0, path);
    return item;
}

void CVideoFileSelector::AddCamerasToTreeView(const QString& path, const std::vector<Video*>& videos, bool)
{
    QTreeWidgetItem* file = FileItem(path);
    for (Video* video : videos) {
        QTreeWidgetItem* camera = nullptr;
        for (int c = 0; c < file->childCount(); ++c) {
            if (file->child(c)->data(0, kChannelRole).toInt() == video->GetCamera()->GetChannel()) {
                camera = file->child(c);
            }
        }
        if (camera == nullptr) {
            camera = new QTreeWidgetItem(file, {video->GetCamera()->GetName()});
            camera->setData(0, kPathRole, path);
            camera->setData(0, kChannelRole, video->GetCamera()->GetChannel());
        }
        camera->setData(0, kVideoRole, QVariant::fromValue(static_cast<void*>(video)));
    }
    file->setExpanded(true);
}

QTreeWidgetItem* CVideoFileSelector::CameraItem(const Video* video) const
{
    for (int i = 0; video != nullptr && i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* file = tree_->topLevelItem(i);
        for (int c = 0; c < file->childCount(); ++c) {
            if (ItemVideo(file->child(c)) == video) {
                return file->child(c);
            }
        }
    }
    return nullptr;
}

void CVideoFileSelector::UpdateCameraOnOffStatus(Video* video, bool shown)
{
    if (QTreeWidgetItem* camera = CameraItem(video)) {
        QFont f = camera->font(0);
        f.setBold(shown);
        camera->setFont(0, f);
    }
}

void CVideoFileSelector::UpdateVideoStatus(Video* video)
{
    const QString path = video->GetVideoFile()->path;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* file = tree_->topLevelItem(i);
        if (file->data(0, kPathRole).toString() != path) {
            continue;
        }
        for (int c = 0; c < file->childCount(); ++c) {
            if (file->child(c)->data(0, kChannelRole).toInt() == video->GetCamera()->GetChannel()) {
                file->child(c)->setData(0, kVideoRole, QVariant::fromValue(static_cast<void*>(video)));
                return;
            }
        }
    }
}

void CVideoFileSelector::EnableSelectAll(bool enable, bool checked)
{
    const QSignalBlocker quiet(selectAll_);
    selectAll_->setChecked(checked);
    selectAll_->setEnabled(enable);
}

void CVideoFileSelector::SelectCameraOnTreeView(Video* video)
{
    if (QTreeWidgetItem* camera = CameraItem(video)) {
        const QSignalBlocker quiet(tree_);
        tree_->setCurrentItem(camera);
    }
}

void CVideoFileSelector::RemoveVideoFile(const QString& path)
{
    for (int i = tree_->topLevelItemCount() - 1; i >= 0; --i) {
        if (tree_->topLevelItem(i)->data(0, kPathRole).toString() == path) {
            delete tree_->takeTopLevelItem(i);
        }
    }
}

void CVideoFileSelector::Refresh()
{
    tree_->viewport()->update();
}

void CVideoFileSelector::OnDoubleClick(QTreeWidgetItem* item)
{
    IPlomeraViewEvents* events = events_ ? events_() : nullptr;
    if (events == nullptr || item == nullptr) {
        return;
    }
    const QString path = item->data(0, kPathRole).toString();
    if (item->parent() == nullptr) {
        events->PlaySelectedVideoFile(path);
        return;
    }
    NavigatorItem request;
    request.kind = NavigatorItem::Camera;
    request.path = path;
    request.video = ItemVideo(item);
    events->OpenVideoPlayer(&request);
}
