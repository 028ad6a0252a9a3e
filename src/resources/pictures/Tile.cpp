// Pictures of the video player tile: the close button of its caption strip, the icon of its
// status strip, and the sound pictures of its menu's audio item.
#include "Picture.h"

#include <QPainterPath>

namespace {

// A loudspeaker at the left of the canvas, in colour.
void Speaker(QPainter& p, const QSize& size, const QColor& colour)
{
    const qreal h = size.height();
    QPainterPath body;
    body.moveTo(1.5, h * 0.36);
    body.lineTo(4.5, h * 0.36);
    body.lineTo(8.5, h * 0.12);
    body.lineTo(8.5, h * 0.88);
    body.lineTo(4.5, h * 0.64);
    body.lineTo(1.5, h * 0.64);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(body);
}

} // namespace

// Close: a white cross on a dark rounded square, readable on green and on grey strips.
PLOMERA_PICTURE(579, 14, 14)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30, 0xD0));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
    QPen pen(QColor(0xF4, 0xF4, 0xF4), 1.8);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(4, 4), QPointF(10, 10));
    p.drawLine(QPointF(10, 4), QPointF(4, 10));
}

// Status strip: a small camera, body and lens.
PLOMERA_PICTURE(135, 16, 12)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawRoundedRect(QRectF(0.5, 2.5, 11, 8), 1.5, 1.5);
    QPainterPath lens;
    lens.moveTo(11.5, 5);
    lens.lineTo(15.5, 3);
    lens.lineTo(15.5, 10);
    lens.lineTo(11.5, 8);
    lens.closeSubpath();
    p.drawPath(lens);
    p.setBrush(QColor(0xE0, 0xE0, 0xE0));
    p.drawEllipse(QPointF(6, 6.5), 2, 2);
}

// Sound on: the speaker with two waves.
PLOMERA_PICTURE(392, 16, 16)
{
    const QColor colour(0x20, 0x20, 0x20);
    Speaker(p, size, colour);
    QPen pen(colour, 1.3);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6.5, 5, 5, 6), -50 * 16, 100 * 16);
    p.drawArc(QRectF(6, 2.5, 9, 11), -50 * 16, 100 * 16);
}

// Sound off: the speaker crossed out in red.
PLOMERA_PICTURE(393, 16, 16)
{
    Speaker(p, size, QColor(0x20, 0x20, 0x20));
    QPen pen(QColor(0xD0, 0x20, 0x20), 1.5);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(10, 5), QPointF(15, 11));
    p.drawLine(QPointF(15, 5), QPointF(10, 11));
}
