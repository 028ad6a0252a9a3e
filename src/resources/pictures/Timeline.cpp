// Pictures of the time scale and the playback control bar. Numbers the Parts leave open take
// 700-799 (timeline/TimelinePictures.h): each control bar button has three, normal, hover and
// disabled, drawn by one shape function in three colours.
#include "Picture.h"

#include "timeline/TimelinePictures.h"

#include <QPainterPath>
#include <QtMath>

namespace {

const QColor kNormal(0xD8, 0xD8, 0xD8);
const QColor kHover(0x4D, 0xB2, 0xFF);
const QColor kDisabled(0x50, 0x50, 0x50);
const QColor kLoopOn(0xFF, 0x9A, 0x2E);

using Shape = void (*)(QPainter& p, const QRectF& r, const QColor& c);

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, colour);
}

// Pointing right (dir 1) or left (dir -1), filling [x0, x1] and the rectangle's height.
void Arrow(QPainter& p, qreal x0, qreal x1, const QRectF& r, int dir, const QColor& c)
{
    if (dir > 0) {
        Triangle(p, {x0, r.top()}, {x1, r.center().y()}, {x0, r.bottom()}, c);
    } else {
        Triangle(p, {x1, r.top()}, {x0, r.center().y()}, {x1, r.bottom()}, c);
    }
}

void PreviousFrame(QPainter& p, const QRectF& r, const QColor& c)
{
    const qreal bar = r.width() * 0.18;
    p.fillRect(QRectF(r.left(), r.top(), bar, r.height()), c);
    Arrow(p, r.left() + bar * 1.4, r.right(), r, -1, c);
}

void NextFrame(QPainter& p, const QRectF& r, const QColor& c)
{
    const qreal bar = r.width() * 0.18;
    Arrow(p, r.left(), r.right() - bar * 1.4, r, 1, c);
    p.fillRect(QRectF(r.right() - bar, r.top(), bar, r.height()), c);
}

void FastRewind(QPainter& p, const QRectF& r, const QColor& c)
{
    Arrow(p, r.left(), r.center().x(), r, -1, c);
    Arrow(p, r.center().x(), r.right(), r, -1, c);
}

void FastForward(QPainter& p, const QRectF& r, const QColor& c)
{
    Arrow(p, r.left(), r.center().x(), r, 1, c);
    Arrow(p, r.center().x(), r.right(), r, 1, c);
}

void Play(QPainter& p, const QRectF& r, const QColor& c)
{
    Arrow(p, r.left() + r.width() * 0.12, r.right(), r, 1, c);
}

void Pause(QPainter& p, const QRectF& r, const QColor& c)
{
    const qreal bar = r.width() * 0.32;
    p.fillRect(QRectF(r.left() + r.width() * 0.06, r.top(), bar, r.height()), c);
    p.fillRect(QRectF(r.right() - r.width() * 0.06 - bar, r.top(), bar, r.height()), c);
}

void LoopArrows(QPainter& p, const QRectF& r, const QColor& c)
{
    QPen pen(c, r.width() * 0.13, Qt::SolidLine, Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF ring = r.adjusted(r.width() * 0.08, r.height() * 0.08, -r.width() * 0.08, -r.height() * 0.08);
    p.drawArc(ring, 100 * 16, 150 * 16);
    p.drawArc(ring, 280 * 16, 150 * 16);
    const qreal h = r.width() * 0.22;
    const QPointF top(ring.center().x(), ring.top());
    const QPointF bottom(ring.center().x(), ring.bottom());
    Triangle(p, top + QPointF(-h * 0.2, -h), top + QPointF(h * 1.1, 0), top + QPointF(-h * 0.2, h), c);
    Triangle(p, bottom + QPointF(h * 0.2, -h), bottom + QPointF(-h * 1.1, 0), bottom + QPointF(h * 0.2, h), c);
}

void Loop(QPainter& p, const QRectF& r, const QColor& c)
{
    LoopArrows(p, r, c);
}

// The loop while looping: the arrows on a lit disc.
void LoopChecked(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c == kDisabled ? kDisabled.darker(150) : kLoopOn);
    p.drawEllipse(r.adjusted(-2, -2, 2, 2));
    LoopArrows(p, r, c == kDisabled ? kDisabled : QColor(Qt::black));
}

void SyncAll(QPainter& p, const QRectF& r, const QColor& c)
{
    // Three tiles in step: stacked frames joined by one line.
    p.setPen(QPen(c, 1.6));
    p.setBrush(Qt::NoBrush);
    const qreal w = r.width() * 0.55;
    const qreal h = r.height() * 0.32;
    for (int i = 0; i < 3; ++i) {
        p.drawRect(QRectF(r.left() + i * r.width() * 0.2, r.top() + i * r.height() * 0.3, w, h));
    }
    p.setPen(QPen(c, 2.2));
    p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.top() + h * 0.2));
}

void Snapshot(QPainter& p, const QRectF& r, const QColor& c)
{
    const QRectF body(r.left(), r.top() + r.height() * 0.25, r.width(), r.height() * 0.7);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(body, 2, 2);
    p.drawRect(QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.1, r.width() * 0.4, r.height() * 0.2));
    p.setBrush(Qt::black);
    p.drawEllipse(body.center(), body.height() * 0.33, body.height() * 0.33);
    p.setBrush(c);
    p.drawEllipse(body.center(), body.height() * 0.18, body.height() * 0.18);
}

void FileInfo(QPainter& p, const QRectF& r, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(r);
    p.setBrush(Qt::black);
    const qreal w = r.width() * 0.16;
    p.drawEllipse(QPointF(r.center().x(), r.top() + r.height() * 0.25), w * 0.7, w * 0.7);
    p.drawRect(QRectF(r.center().x() - w / 2, r.top() + r.height() * 0.42, w, r.height() * 0.4));
}

void Magnifier(QPainter& p, const QRectF& r, const QColor& c, bool plus)
{
    const QRectF lens(r.left(), r.top(), r.width() * 0.68, r.height() * 0.68);
    p.setPen(QPen(c, r.width() * 0.12));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(lens);
    p.setPen(QPen(c, r.width() * 0.18, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens.center() + QPointF(lens.width() * 0.4, lens.height() * 0.4), r.bottomRight());
    p.setPen(QPen(c, r.width() * 0.1));
    const qreal a = lens.width() * 0.24;
    p.drawLine(lens.center() - QPointF(a, 0), lens.center() + QPointF(a, 0));
    if (plus) {
        p.drawLine(lens.center() - QPointF(0, a), lens.center() + QPointF(0, a));
    }
}

void ZoomIn(QPainter& p, const QRectF& r, const QColor& c)
{
    Magnifier(p, r, c, true);
}

void ZoomOut(QPainter& p, const QRectF& r, const QColor& c)
{
    Magnifier(p, r, c, false);
}

void CenterCursor(QPainter& p, const QRectF& r, const QColor& c)
{
    const qreal mid = r.center().x();
    p.fillRect(QRectF(mid - 1, r.top(), 2, r.height()), c);
    const qreal h = r.height() * 0.22;
    Arrow(p, r.left(), mid - 3, QRectF(r.left(), r.center().y() - h, r.width(), 2 * h), 1, c);
    Arrow(p, mid + 3, r.right(), QRectF(r.left(), r.center().y() - h, r.width(), 2 * h), -1, c);
}

void GoTo(QPainter& p, const QRectF& r, const QColor& c)
{
    // A clock face with its hands.
    p.setPen(QPen(c, r.width() * 0.11));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    p.setPen(QPen(c, r.width() * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.center(), r.center() + QPointF(0, -r.height() * 0.3));
    p.drawLine(r.center(), r.center() + QPointF(r.width() * 0.22, r.height() * 0.1));
}

void ShowMetadata(QPainter& p, const QRectF& r, const QColor& c)
{
    // A series over its axis: what the metadata strip and the map draw from.
    p.setPen(QPen(c, r.width() * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    const QPointF points[] = {{r.left(), r.bottom() - r.height() * 0.3},
                              {r.left() + r.width() * 0.3, r.top() + r.height() * 0.35},
                              {r.left() + r.width() * 0.6, r.bottom() - r.height() * 0.45},
                              {r.right(), r.top()}};
    p.drawPolyline(points, 4);
}

template <Shape S, int Variant>
void DrawButton(QPainter& p, const QSize& size)
{
    const QColor colour = Variant == 0 ? kNormal : Variant == 1 ? kHover : kDisabled;
    const qreal m = size.width() * 0.22;
    S(p, QRectF(m, m, size.width() - 2 * m, size.height() - 2 * m), colour);
}

template <Shape S>
bool RegisterButton(int first, int size)
{
    return Pictures::Register(first, size, size, &DrawButton<S, 0>, __FILE__)
        && Pictures::Register(first + 1, size, size, &DrawButton<S, 1>, __FILE__)
        && Pictures::Register(first + 2, size, size, &DrawButton<S, 2>, __FILE__);
}

namespace P = TimelinePictures;
[[maybe_unused]] const bool kButtons = RegisterButton<PreviousFrame>(P::PreviousFrame, 32)
    && RegisterButton<FastRewind>(P::FastRewind, 32) && RegisterButton<Play>(P::Play, 32)
    && RegisterButton<Pause>(P::Pause, 32) && RegisterButton<FastForward>(P::FastForward, 32)
    && RegisterButton<NextFrame>(P::NextFrame, 32) && RegisterButton<Loop>(P::Loop, 27)
    && RegisterButton<LoopChecked>(P::LoopChecked, 27) && RegisterButton<SyncAll>(P::SyncAll, 27)
    && RegisterButton<Snapshot>(P::ExportSnapshot, 27) && RegisterButton<FileInfo>(P::FileInfo, 27)
    && RegisterButton<ZoomIn>(P::ZoomIn, 24) && RegisterButton<ZoomOut>(P::ZoomOut, 24)
    && RegisterButton<CenterCursor>(P::CenterCursor, 24) && RegisterButton<GoTo>(P::GoTo, 24)
    && RegisterButton<ShowMetadata>(P::ShowMetadata, 27);

} // namespace

// The play cursor's handle: a downward wedge, its tip on the cursor's pixel (x = 10).
PLOMERA_PICTURE(563, 20, 10)
{
    QPainterPath wedge;
    wedge.moveTo(1, 0.5);
    wedge.lineTo(19, 0.5);
    wedge.lineTo(10, 9.5);
    wedge.closeSubpath();
    p.setPen(QPen(QColor(0x30, 0x10, 0x00), 1));
    p.setBrush(QColor(0xFF, 0x80, 0x00));
    p.drawPath(wedge);
}
