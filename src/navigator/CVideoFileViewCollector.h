#pragma once

#include "navigator/NavigatorMenus.h"
#include "navigator/VideoFileTree.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CViewTree;
class IPlomeraViewEvents;
class QCheckBox;
class QMenu;
class QTreeWidgetItem;
class Video;

// The tree form (571): the tree of open files and their cameras under the computer's root item,
// and "Select All". It opens and closes nothing itself: every user action becomes an event to the
// viewer, and the viewer calls back to list files and show the cameras' state. The items, the
// channel flags and the menus live in VideoFileTree and NavigatorMenus. GUI thread.
class CVideoFileViewCollector : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFormId = 571;
    static constexpr int kSelectAllId = 7089;
    static constexpr int kFirstPicture = 335;  // 335-339: the image list, in index order

    explicit CVideoFileViewCollector(QWidget* parent = nullptr);
    ~CVideoFileViewCollector() override;

    // Where the events go, read at each event (null: nothing is raised).
    void SetEvents(std::function<IPlomeraViewEvents*()> events) { events_ = std::move(events); }
    // The main view's open-file command, for the root menu's "Open Video File".
    void SetOpenFileCommand(std::function<void()> command) { openFile_ = std::move(command); }
    // The main view's drag source: the item when a drag begins, null when it ends.
    void SetDragSource(std::function<void(const NavigatorItem*)> source) { dragSource_ = std::move(source); }
    // The information box of "Release Files" with nothing open (text, caption).
    void SetMessageBox(std::function<void(const QString&, const QString&)> box) { messageBox_ = std::move(box); }

    // The operations the viewer calls.
    void AddCamerasToTreeView(const std::vector<Video*>& videos, int reuse);
    void UpdateCameraOnOffStatus(Video* video, bool shown);
    void UpdateCameraAudioOnOffStatus(Video* video, bool audioOn);
    void UpdateVideoStatus(Video* video);
    void EnableSelectAll(bool enable);
    void SelectCameraOnTreeView(Video* video);
    void UnCheckSelectAllInVideoFileSelector();
    // The viewer forgets a file it released by any way: its item goes before its Videos do.
    void RemoveVideoFile(const QString& path);

    // Algorithm C: the viewer releases the file, and its item goes.
    void ReleaseFile(const QString& path);
    // The menu for the selected item (null: none), its actions carrying their commands; and a
    // command carried out on the selected item, as choosing it from the menu does.
    QMenu* MakeMenu(QWidget* parent);
    void RunCommand(int command);
    // The files dropped on the form or the tree, in drop order.
    void DropFiles(const QStringList& paths);

    CViewTree* Tree() const { return tree_; }
    QCheckBox* SelectAll() const { return selectAll_; }
    QTreeWidgetItem* Root() const { return root_; }
    VideoFileTree& Items() { return *items_; }
    bool HasImageList() const { return !images_.isEmpty(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void OnInitialUpdate();
    IPlomeraViewEvents* Events() const { return events_ ? events_() : nullptr; }
    QTreeWidgetItem* Selected() const;
    void OnSelectionChanged(QTreeWidgetItem* item);
    void OnItemDoubleClicked(QTreeWidgetItem* item);
    void OnBeginDrag(QTreeWidgetItem* item);
    void OnContextMenu(const QPoint& globalPos);
    void OnReleaseFiles();

    CViewTree* tree_ = nullptr;
    QList<QIcon> images_;
    QCheckBox* selectAll_ = nullptr;
    QTreeWidgetItem* root_ = nullptr;
    std::unique_ptr<VideoFileTree> items_;
    std::function<IPlomeraViewEvents*()> events_;
    std::function<void()> openFile_;
    std::function<void(const NavigatorItem*)> dragSource_;
    std::function<void(const QString&, const QString&)> messageBox_;
};
