#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class IPlomeraViewEvents;
class QCheckBox;
class QTreeWidget;
class QTreeWidgetItem;
class Video;

// The navigator pane: the tree of opened and registered files, in the order they arrived, with
// their cameras. A camera item refers to the Video the viewer owns for it (never owns it); the
// viewer keeps that Video alive while the item exists and hands over a new one with
// UpdateVideoStatus when it opens the camera again. A double click asks the viewer to play the
// file or open the camera through the application-wide channel. GUI thread only.
class CVideoFileSelector : public QWidget {
    Q_OBJECT
public:
    explicit CVideoFileSelector(QWidget* parent = nullptr);

    // The channel requests go out on, read at each request (none: nothing is sent).
    void SetEvents(std::function<IPlomeraViewEvents*()> events) { events_ = std::move(events); }

    // A file the viewer knows of, with its cameras when it read them. A file listed before keeps
    // its place; its camera items then refer to the new Videos.
    void AddCamerasToTreeView(const QString& path, const std::vector<Video*>& videos, bool navigatorFlag = true);
    // Bold while the camera sits in a tile.
    void UpdateCameraOnOffStatus(Video* video, bool shown);
    // The item of the same file and channel refers to this Video from now on.
    void UpdateVideoStatus(Video* video);
    // The "Select All" check box.
    void EnableSelectAll(bool enable, bool checked = false);
    void SelectCameraOnTreeView(Video* video);
    // Drops the file's item and its cameras (the viewer is about to free their Videos).
    void RemoveVideoFile(const QString& path);
    void Refresh();

    QTreeWidget* Tree() const { return tree_; }
    QCheckBox* SelectAll() const { return selectAll_; }
    // The camera item showing this Video, or null.
    QTreeWidgetItem* CameraItem(const Video* video) const;
    // The Video a camera item refers to (null for a file item).
    static Video* ItemVideo(const QTreeWidgetItem* item);

private:
    QTreeWidgetItem* FileItem(const QString& path);
    void OnDoubleClick(QTreeWidgetItem* item);

    QTreeWidget* tree_;
    QCheckBox* selectAll_;
    std::function<IPlomeraViewEvents*()> events_;
};
