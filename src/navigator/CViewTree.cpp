#include "navigator/CViewTree.h"

#include "navigator/VideoFileTree.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

CViewTree::CViewTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(false);  // a double click opens a camera; the buttons fold
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(true);
    setStyleSheet(QStringLiteral("QTreeView { background: black; color: white; }"
                                 "QTreeView::item:selected { background: #3060C0; color: white; }"));
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Text, Qt::white);
    setPalette(p);
}

void CViewTree::startDrag(Qt::DropActions)
{
    DragCurrentItem();
}

void CViewTree::DragCurrentItem()
{
    QTreeWidgetItem* item = currentItem();
    if (item == nullptr) {
        return;
    }
    emit dragBegun(item);
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    const NavigatorItem* record = VideoFileTree::Record(item);
    mime->setData(QString::fromLatin1(kDragMimeType), record != nullptr ? record->path.toUtf8() : QByteArray());
    drag->setMimeData(mime);
    QPointer<QDrag> guard(drag);
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    if (dragRunner_) {
        dragRunner_(drag);
    } else {
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    }
    QGuiApplication::restoreOverrideCursor();
    if (guard) {
        guard->deleteLater();
    }
    // Dropped on the grid, somewhere else or nowhere: the source is no longer being dragged.
    emit dragEnded();
}

void CViewTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CViewTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CViewTree::dropEvent(QDropEvent* event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(VideoFileTree::LocalFiles(event->mimeData()->urls()));
}

void CViewTree::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() != QContextMenuEvent::Mouse) {
        QTreeWidget::contextMenuEvent(event);
        return;
    }
    emit contextMenuAt(event->globalPos());
}
