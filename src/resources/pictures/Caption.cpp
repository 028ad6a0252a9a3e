// Pictures of the viewer caption, white on the caption's blue-to-black gradient. The shift
// buttons' pictures have no number of their own: 3612 and 3613 are this file's.
#include "Picture.h"

#include <QPainterPath>

namespace {

const QColor kWhite(0xF0, 0xF0, 0xF0);

void CaptionSpeaker(QPainter& p)
{
    QPainterPath body;
    body.moveTo(3, 7);
    body.lineTo(6, 7);
    body.lineTo(10, 3.5);
    body.lineTo(10, 16.5);
    body.lineTo(6, 13);
    body.lineTo(3, 13);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPath(body);
}

void ShiftArrows(QPainter& p, bool forward)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    for (int i = 0; i < 2; ++i) {
        const qreal x = 4 + i * 6;
        QPainterPath head;
        if (forward) {
            head.moveTo(x, 5);
            head.lineTo(x + 6, 10);
            head.lineTo(x, 15);
        } else {
            head.moveTo(x + 6, 5);
            head.lineTo(x, 10);
            head.lineTo(x + 6, 15);
        }
        head.closeSubpath();
        p.drawPath(head);
    }
}

} // namespace

// Audio of the open cameras off.
PLOMERA_PICTURE(430, 20, 20)
{
    CaptionSpeaker(p);
    QPen pen(QColor(0xFF, 0x50, 0x50), 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(12.5, 7), QPointF(17, 13));
    p.drawLine(QPointF(17, 7), QPointF(12.5, 13));
}

// Audio of some open camera on.
PLOMERA_PICTURE(432, 20, 20)
{
    CaptionSpeaker(p);
    QPen pen(kWhite, 1.4);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(8, 6.5, 6, 7), -50 * 16, 100 * 16);
    p.drawArc(QRectF(8, 3.5, 10, 13), -50 * 16, 100 * 16);
}

// Maximise or restore the viewer: a window frame.
PLOMERA_PICTURE(355, 20, 20)
{
    p.setPen(QPen(kWhite, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4, 5, 12, 10));
    p.fillRect(QRectF(4, 5, 12, 2.5), kWhite);
}

// Close all tiles: a cross.
PLOMERA_PICTURE(356, 20, 20)
{
    QPen pen(kWhite, 2.0);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(5, 5), QPointF(15, 15));
    p.drawLine(QPointF(15, 5), QPointF(5, 15));
}

PLOMERA_PICTURE(3612, 20, 20)
{
    ShiftArrows(p, false);
}

PLOMERA_PICTURE(3613, 20, 20)
{
    ShiftArrows(p, true);
}
