#include "map/COSMCtrlCorner.h"

QPoint COSMCtrlCorner::Point(const QSize& client, int corner, int dx, int dy)
{
    const int x = IsRight(corner) ? client.width() - dx : dx;
    const int y = IsBottom(corner) ? client.height() - dy : dy;
    return QPoint(x, y);
}

QRect COSMCtrlCorner::Place(const QSize& client, int corner, int dx, int dy, const QSize& element)
{
    QPoint topLeft = Point(client, corner, dx, dy);
    if (IsRight(corner)) {
        topLeft.rx() -= element.width();
    }
    if (IsBottom(corner)) {
        topLeft.ry() -= element.height();
    }
    return QRect(topLeft, element);
}
