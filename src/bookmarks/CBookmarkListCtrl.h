#pragma once

#include "evidence/VideoFile.h"

#include <QTreeWidget>

// The bookmark pane's list (7033): one row per bookmark, "Title" and "Timestamp", white on black,
// whole rows selected. A row keeps its record alive while it is shown; the tooltip of a row is its
// notes cut to 79 characters. GUI thread.
class CBookmarkListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kListId = 7033;
    static constexpr int kTooltipMax = 79;

    explicit CBookmarkListCtrl(QWidget* parent = nullptr);

    // Empties the list and shows these bookmarks in list order; null only empties it.
    void ShowBookmarks(const BookmarkList* bookmarks);
    // The records of the selected rows, top to bottom; of every row.
    BookmarkList Selected() const;
    BookmarkList All() const { return shown_; }
    // The record of the current row (the selection mark); null when there is none.
    BookmarkRecord* Current() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    BookmarkList shown_;
};
