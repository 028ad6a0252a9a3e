#pragma once

#include "evidence/VideoFile.h"

#include <QWidget>
#include <functional>

class CBookmarkListCtrl;
class IPlomeraViewEvents;
class QMenu;

// The bookmark pane (101): a painted "Bookmarks" strip over the list. It never changes bookmarks
// itself: every request (details, seek, delete, copy, print) goes to the viewer through the events,
// and the viewer refills the pane with ShowBookmarks. Keys in the list: Enter seeks, F2 shows the
// details, Delete deletes the selected rows, Ctrl+C copies them and Ctrl+P prints them (every row
// when none is selected), Menu or Shift+F10 opens the row menu. GUI thread.
class CBookmarkCollector : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPaneId = 101;
    static constexpr int kCaptionId = 7034;
    // The menus by selection count: none, one, several.
    static constexpr int kAllMenu = 367;
    static constexpr int kOneMenu = 365;
    static constexpr int kSelectedMenu = 101;

    explicit CBookmarkCollector(QWidget* parent = nullptr);

    // Where the requests go, read at each request (null: nowhere).
    void SetEvents(std::function<IPlomeraViewEvents*()> events) { events_ = std::move(events); }
    void ShowBookmarks(const BookmarkList* bookmarks);
    CBookmarkListCtrl* List() const { return list_; }
    // The row menu for the current selection, its items carrying their command ids (null when the
    // list is empty); RunCommand carries one out, as choosing it would.
    QMenu* MakeMenu(QWidget* parent);
    void RunCommand(int command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMenu(const QPoint& globalPos);

    CBookmarkListCtrl* list_ = nullptr;
    IPlomeraViewEvents* Events() const { return events_ ? events_() : nullptr; }

    std::function<IPlomeraViewEvents*()> events_;
};
