#pragma once

#include "events/NavigatorItem.h"

#include <QDockWidget>
#include <functional>
#include <vector>

class CBookmarkCollector;
class CPaneSplitter;
class CVideoFileViewCollector;
class CViewTree;
class IPlomeraViewEvents;
class QCheckBox;
class Video;

// The navigator pane, docked at the frame's left: its own painted caption, and two rows, the
// file tree form above and the bookmark pane below. The viewer's calls are passed to the tree
// form; see CVideoFileViewCollector for what the tree does. GUI thread.
class CVideoFileSelector : public QDockWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Video File Selector";  // string 527
    static constexpr const char* kMenuName = "Navigator";           // string 526

    explicit CVideoFileSelector(QWidget* parent = nullptr);

    void SetEvents(std::function<IPlomeraViewEvents*()> events);
    void SetOpenFileCommand(std::function<void()> command);
    void SetDragSource(std::function<void(const NavigatorItem*)> source);

    // reuse: 0 when the viewer opens or registers the file, 1 when it plays a listed file again.
    void AddCamerasToTreeView(const std::vector<Video*>& videos, int reuse = 0);
    void UpdateCameraOnOffStatus(Video* video, bool shown);
    void UpdateCameraAudioOnOffStatus(Video* video, bool audioOn);
    void UpdateVideoStatus(Video* video);
    void EnableSelectAll(bool enable);
    void SelectCameraOnTreeView(Video* video);
    void UnCheckSelectAllInVideoFileSelector();
    void RemoveVideoFile(const QString& path);
    void Refresh();

    CVideoFileViewCollector* TreeForm() const { return form_; }
    CBookmarkCollector* BookmarkPane() const { return bookmarks_; }
    CViewTree* Tree() const;
    QCheckBox* SelectAll() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPaneSplitter* splitter_ = nullptr;
    CVideoFileViewCollector* form_ = nullptr;
    CBookmarkCollector* bookmarks_ = nullptr;
};
