// Pictures of the navigator tree, 23 x 17: the computer of the root, the film strip of a file,
// and a camera in three states (in a tile, not shown, in a tile with its sound on).
#include "Picture.h"

#include <QPolygonF>

namespace {

void DrawCamera(QPainter& p, const QColor& body, const QColor& lens)
{
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 5.5, 12, 8), 1.5, 1.5);
    QPolygonF hood;
    hood << QPointF(14.5, 7.5) << QPointF(19.5, 5.5) << QPointF(19.5, 13.5) << QPointF(14.5, 11.5);
    p.drawPolygon(hood);
    p.setBrush(lens);
    p.drawEllipse(QPointF(8.5, 9.5), 2.2, 2.2);
}

} // namespace

PLOMERA_PICTURE(335, 23, 17)
{
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(QColor(0xC8, 0xCC, 0xD0));
    p.drawRect(QRectF(3.5, 1.5, 16, 11));
    p.setBrush(QColor(0x30, 0x70, 0xD0));
    p.drawRect(QRectF(5.5, 3.5, 12, 7));
    p.setBrush(QColor(0x90, 0x94, 0x98));
    p.drawRect(QRectF(9.5, 12.5, 4, 2));
    p.drawRect(QRectF(5.5, 14.5, 12, 1.5));
}

PLOMERA_PICTURE(336, 23, 17)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.drawRect(QRectF(2, 2, 19, 13));
    p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    for (int x = 3; x < 21; x += 4) {
        p.drawRect(QRectF(x, 3, 2, 1.5));
        p.drawRect(QRectF(x, 12.5, 2, 1.5));
    }
    p.setBrush(QColor(0x70, 0xB0, 0xF0));
    p.drawRect(QRectF(4, 5.5, 6.5, 6));
    p.drawRect(QRectF(12.5, 5.5, 6.5, 6));
}

PLOMERA_PICTURE(337, 23, 17)
{
    DrawCamera(p, QColor(0x40, 0xC0, 0x40), QColor(0xF0, 0xF0, 0xF0));
}

PLOMERA_PICTURE(338, 23, 17)
{
    DrawCamera(p, QColor(0x50, 0x50, 0x50), QColor(0x28, 0x28, 0x28));
}

PLOMERA_PICTURE(339, 23, 17)
{
    DrawCamera(p, QColor(0x40, 0xC0, 0x40), QColor(0xF0, 0xF0, 0xF0));
    p.setPen(QPen(QColor(0xFF, 0xD0, 0x30), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(17, 4, 4, 10), -60 * 16, 120 * 16);
    p.drawArc(QRectF(16, 1.5, 7, 15), -60 * 16, 120 * 16);
}
