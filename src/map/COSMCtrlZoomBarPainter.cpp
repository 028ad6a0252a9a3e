#include "map/COSMCtrlZoomBarPainter.h"

#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlZoomBar.h"

#include <QPainter>

namespace {

void DrawButton(QPainter& painter, const QRect& button, bool plus)
{
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawRect(button.adjusted(0, 0, -1, -1));
    const QPoint c = button.center();
    painter.setPen(QPen(QColor(30, 30, 30), 2));
    painter.drawLine(c.x() - 5, c.y(), c.x() + 5, c.y());
    if (plus) {
        painter.drawLine(c.x(), c.y() - 5, c.x(), c.y() + 5);
    }
}

} // namespace

void COSMCtrlZoomBarPainter::Draw(QPainter& painter, const QRect& bar, double zoom)
{
    // Drawn in a picture whose origin is the zoom-in button's top-left.
    const QRect zoomIn = COSMCtrlZoomBar::ZoomInButton(bar);
    const QRect zoomOut = COSMCtrlZoomBar::ZoomOutButton(bar);
    const QPoint origin = zoomIn.topLeft();
    const int thumbY = COSMCtrlZoomBar::LevelY(bar, zoom) - origin.y();
    if (pixmap_.isNull() || thumbY != thumbY_) {
        thumbY_ = thumbY;
        pixmap_ = QPixmap(COSMCtrlZoomBar::kWidth, zoomOut.bottom() - zoomIn.top() + 1);
        pixmap_.fill(Qt::transparent);
        QPainter p(&pixmap_);
        const QPoint shift = -origin;
        DrawButton(p, zoomIn.translated(shift), true);
        DrawButton(p, zoomOut.translated(shift), false);
        const QRect track = bar.translated(shift);
        const int top = COSMCtrlZoomBar::LevelY(track, COSMCtrlProjection::kMaxZoom);
        const int bottom = COSMCtrlZoomBar::LevelY(track, COSMCtrlProjection::kMinZoom);
        const int middle = track.left() + COSMCtrlZoomBar::kWidth / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 180));
        p.drawRect(middle - 4, top - 4, 8, bottom - top + 8);
        p.setPen(QColor(60, 60, 60));
        for (int level = COSMCtrlProjection::kMinZoom; level <= COSMCtrlProjection::kMaxZoom; ++level) {
            const int y = COSMCtrlZoomBar::LevelY(track, level);
            p.drawLine(middle - 3, y, middle + 3, y);
        }
        p.drawLine(middle, top, middle, bottom);
        p.setBrush(QColor(40, 90, 200));
        p.drawRect(track.left() + 1, thumbY - 3, COSMCtrlZoomBar::kWidth - 3, 6);
    }
    painter.drawPixmap(origin, pixmap_);
}
