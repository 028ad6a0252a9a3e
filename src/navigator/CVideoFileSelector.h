#pragma once

#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;
class Video;

// The navigator pane: the tree of opened and registered files with their cameras.
class CVideoFileSelector : public QWidget {
    Q_OBJECT
public:
    explicit CVideoFileSelector(QWidget* parent = nullptr);

    // A file the viewer knows of; its cameras when it was opened.
    void AddVideoFile(const QString& path, const std::vector<Video*>& videos);
    void UpdateCameraOnOffStatus(Video* video, bool shown);
    QTreeWidget* Tree() const { return tree_; }

private:
    QTreeWidgetItem* FileItem(const QString& path);

    QTreeWidget* tree_;
};
