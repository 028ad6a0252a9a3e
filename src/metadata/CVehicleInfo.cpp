#include "metadata/CVehicleInfo.h"

#include "bookmarks/CBookmarkCollector.h"
#include "metadata/CVehicleInfoCollector.h"
#include "metadata/VehicleInfoLayout.h"

#include <QEvent>
#include <QPainter>
#include <QSplitter>

CVehicleInfo::CVehicleInfo(QWidget* parent, CBookmarkCollector* bookmarks)
    : QDockWidget(QStringLiteral("Vehicle Info"), parent)
{
    setObjectName(QStringLiteral("VehicleInfoPane"));
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(kHandleWidth);
    // Room for the frames drawn one pixel outside each row.
    splitter_->setContentsMargins(1, 1, 1, 1);
    collector_ = new CVehicleInfoCollector(splitter_);
    bookmarks_ = bookmarks != nullptr ? bookmarks : new CBookmarkCollector;
    splitter_->addWidget(collector_);
    splitter_->addWidget(bookmarks_);
    collector_->setMinimumHeight(VehicleInfoLayout::kMinimumRow);
    bookmarks_->setMinimumHeight(VehicleInfoLayout::kMinimumRow);
    splitter_->installEventFilter(this);
    setWidget(splitter_);
}

bool CVehicleInfo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == splitter_) {
        if (event->type() == QEvent::Resize)
            ApplyProportions();
        else if (event->type() == QEvent::Paint)
            PaintFrames();
    }
    return QDockWidget::eventFilter(watched, event);
}

void CVehicleInfo::ApplyProportions()
{
    const int rows = splitter_->contentsRect().height() - splitter_->handleWidth();
    const auto [upper, lower] = VehicleInfoLayout::RowHeights(rows);
    splitter_->setSizes({upper, lower});
}

void CVehicleInfo::PaintFrames()
{
    QPainter painter(splitter_);
    painter.setPen(palette().color(QPalette::Dark));
    for (const QWidget* row : {static_cast<QWidget*>(collector_), static_cast<QWidget*>(bookmarks_)})
        painter.drawRect(row->geometry().adjusted(-1, -1, 0, 0));
}
