#include "navigator/CVideoFileSelector.h"

#include "evidence/Video.h"

#include <QFileInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

CVideoFileSelector::CVideoFileSelector(QWidget* parent) : QWidget(parent), tree_(new QTreeWidget(this))
{
    tree_->setHeaderHidden(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
}

QTreeWidgetItem* CVideoFileSelector::FileItem(const QString& path)
{
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree_->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == path) {
            return item;
        }
    }
    auto* item = new QTreeWidgetItem(tree_, {QFileInfo(path).fileName()});
    item->setData(0, Qt::UserRole, path);
    item->setToolTip(0, path);
    return item;
}

void CVideoFileSelector::AddVideoFile(const QString& path, const std::vector<Video*>& videos)
{
    QTreeWidgetItem* file = FileItem(path);
    if (videos.empty() || file->childCount() > 0) {
        return;
    }
    for (Video* video : videos) {
        auto* camera = new QTreeWidgetItem(file, {video->GetCamera()->GetName()});
        camera->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(video)));
    }
    file->setExpanded(true);
}

void CVideoFileSelector::UpdateCameraOnOffStatus(Video* video, bool shown)
{
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* file = tree_->topLevelItem(i);
        for (int c = 0; c < file->childCount(); ++c) {
            QTreeWidgetItem* camera = file->child(c);
            if (camera->data(0, Qt::UserRole).value<void*>() == video) {
                QFont f = camera->font(0);
                f.setBold(shown);
                camera->setFont(0, f);
            }
        }
    }
}
