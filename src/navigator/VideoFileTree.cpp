#include "navigator/VideoFileTree.h"

#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/Video.h"
#include "navigator/NavigatorTreeItem.h"

#include <algorithm>

void VideoFileTree::SetImage(QTreeWidgetItem* item, int image, const QList<QIcon>& images)
{
    item->setData(0, kImageRole, image);
    item->setIcon(0, image >= 0 && image < images.size() ? images.at(image) : QIcon());
}

int VideoFileTree::ImageOf(const QTreeWidgetItem* item)
{
    return item != nullptr ? item->data(0, kImageRole).toInt() : -1;
}

NavigatorItem* VideoFileTree::Record(QTreeWidgetItem* item)
{
    auto* own = dynamic_cast<NavigatorTreeItem*>(item);
    return own != nullptr ? &own->record : nullptr;
}

const NavigatorItem* VideoFileTree::Record(const QTreeWidgetItem* item)
{
    const auto* own = dynamic_cast<const NavigatorTreeItem*>(item);
    return own != nullptr ? &own->record : nullptr;
}

QString VideoFileTree::NameOf(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash >= 0 ? path.mid(slash + 1) : path;
}

QStringList VideoFileTree::LocalFiles(const QList<QUrl>& urls)
{
    QStringList files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

VideoFileTree::Added VideoFileTree::AddCameras(const std::vector<Video*>& videos, int reuse)
{
    if (videos.empty() || videos.front() == nullptr) {
        return {};
    }
    Video* first = videos.front();
    const QString path = first->GetVideoFile()->path;
    const Device* device = first->GetCamera()->GetDevice();
    if (device != nullptr && device->GetCapability(10) != 0) {
        channel1 = true;
        channel2 = false;
    }
    QTreeWidgetItem* file = FindFile(path);
    if (reuse == 0) {
        delete file;
        file = new NavigatorTreeItem(root_, NameOf(path), NavigatorItem{NavigatorItem::File, path, first});
        file->setToolTip(0, path);
        SetImage(file, FilmStrip);
    } else {
        if (file == nullptr) {
            return Added{nullptr, true};
        }
        qDeleteAll(file->takeChildren());
    }
    for (Video* video : videos) {
        auto* camera = new NavigatorTreeItem(file, video->GetCamera()->GetName(),
                                             NavigatorItem{NavigatorItem::Camera, path, video});
        camera->channel = video->GetCamera()->GetChannel();
        // Dark until the viewer says whether the camera is in a tile.
        SetImage(camera, CameraNotShown);
    }
    return Added{file, false};
}

QTreeWidgetItem* VideoFileTree::FindFile(const QString& path) const
{
    for (int i = 0; i < root_->childCount(); ++i) {
        const NavigatorItem* record = Record(root_->child(i));
        if (record != nullptr && record->path == path) {
            return root_->child(i);
        }
    }
    return nullptr;
}

QTreeWidgetItem* VideoFileTree::FindCamera(const Video* video) const
{
    if (video == nullptr || video->GetVideoFile() == nullptr) {
        return nullptr;
    }
    QTreeWidgetItem* file = FindFile(video->GetVideoFile()->path);
    for (int c = 0; file != nullptr && c < file->childCount(); ++c) {
        const auto* camera = dynamic_cast<const NavigatorTreeItem*>(file->child(c));
        if (camera != nullptr && camera->channel == video->GetCamera()->GetChannel()) {
            return file->child(c);
        }
    }
    return nullptr;
}

QStringList VideoFileTree::FilePaths() const
{
    QStringList paths;
    for (int i = 0; i < root_->childCount(); ++i) {
        if (const NavigatorItem* record = Record(root_->child(i))) {
            paths << record->path;
        }
    }
    return paths;
}

bool VideoFileTree::RemoveFile(const QString& path)
{
    QTreeWidgetItem* file = FindFile(path);
    delete file;
    return file != nullptr;
}
