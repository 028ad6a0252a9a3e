#include "bookmarks/CBookmarkListCtrl.h"

#include "bookmarks/BookmarkWorkingLists.h"

#include <QHeaderView>
#include <QResizeEvent>

CBookmarkListCtrl::CBookmarkListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QString::number(kListId));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Timestamp")});
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setStyleSheet(QStringLiteral("QTreeWidget { background: black; color: white; }"));
}

void CBookmarkListCtrl::ShowBookmarks(const BookmarkList* bookmarks)
{
    clear();
    shown_.clear();
    if (bookmarks == nullptr) {
        return;
    }
    for (const auto& record : *bookmarks) {
        if (!record) {
            continue;
        }
        auto* row = new QTreeWidgetItem(
            this, {record->GetName(), BookmarkWorkingLists::TimeText(record->GetTime())});
        const QString tip = record->GetNotes().left(kTooltipMax);
        row->setToolTip(0, tip);
        row->setToolTip(1, tip);
        shown_.push_back(record);
    }
}

BookmarkList CBookmarkListCtrl::Selected() const
{
    BookmarkList selected;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected()) {
            selected.push_back(shown_[static_cast<size_t>(i)]);
        }
    }
    return selected;
}

BookmarkRecord* CBookmarkListCtrl::Current() const
{
    const int row = currentItem() != nullptr ? indexOfTopLevelItem(currentItem()) : -1;
    return row >= 0 && static_cast<size_t>(row) < shown_.size() ? shown_[static_cast<size_t>(row)].get() : nullptr;
}

void CBookmarkListCtrl::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    const int width = viewport()->width();
    setColumnWidth(0, width / 5 * 2);
    setColumnWidth(1, width - width / 5 * 2);
}
