#pragma once

#include "events/NavigatorItem.h"

#include <QIcon>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <vector>

class QTreeWidgetItem;
class Video;

// The navigator's items under its root, kept apart from the tree window: adding a file with its
// cameras, finding items, the cameras' pictures, forgetting a file, and the device-audio channel
// flags. Files are told apart by their full path, so two files of one name in different folders
// are both listed; a status update reaches a camera item whether or not its file is expanded.
class VideoFileTree {
public:
    // The image list's pictures, by index.
    enum Image : int { Computer = 0, FilmStrip = 1, CameraShown = 2, CameraNotShown = 3, CameraWithAudio = 4 };
    static constexpr int kImageRole = Qt::UserRole + 1;

    explicit VideoFileTree(QTreeWidgetItem* root) : root_(root) {}

    // The pictures the items show (empty: the items show none, their image index is still kept).
    void SetImages(const QList<QIcon>& images) { images_ = images; }
    static void SetImage(QTreeWidgetItem* item, int image, const QList<QIcon>& images);
    void SetImage(QTreeWidgetItem* item, int image) const { SetImage(item, image, images_); }
    static int ImageOf(const QTreeWidgetItem* item);

    // A file with its cameras (reuse 0: listed afresh at the end, replacing its old item; reuse 1:
    // the file's own item keeps its place and gets its cameras anew, nothing when it is not
    // listed). Returns the file item to expand and select; null with clearSelection set when the
    // selection is to be cleared; null alone when nothing changed.
    struct Added {
        QTreeWidgetItem* file = nullptr;
        bool clearSelection = false;
    };
    Added AddCameras(const std::vector<Video*>& videos, int reuse);

    QTreeWidgetItem* Root() const { return root_; }
    QTreeWidgetItem* FindFile(const QString& path) const;
    // The camera item of the same file (exact path) and channel, under any file item.
    QTreeWidgetItem* FindCamera(const Video* video) const;
    QStringList FilePaths() const;
    // Deletes the file's item with its cameras; false when it was not listed.
    bool RemoveFile(const QString& path);

    // The record of a file or camera item; null for the root.
    static NavigatorItem* Record(QTreeWidgetItem* item);
    static const NavigatorItem* Record(const QTreeWidgetItem* item);
    // The text after the path's last separator (the whole path when there is none).
    static QString NameOf(const QString& path);
    // The local files among dropped URLs, in drop order; other URLs are left out.
    static QStringList LocalFiles(const QList<QUrl>& urls);

    // The device-audio channel flags.
    bool channel1 = false;
    bool channel2 = false;
    void ClearChannels() { channel1 = channel2 = false; }

private:
    QTreeWidgetItem* root_;
    QList<QIcon> images_;
};
