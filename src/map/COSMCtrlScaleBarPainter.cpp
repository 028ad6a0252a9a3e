#include "map/COSMCtrlScaleBarPainter.h"

#include "map/COSMCtrlCorner.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

void COSMCtrlScaleBarPainter::SetFont(const QFont& font)
{
    if (font != font_) {
        font_ = font;
        length_ = -1;
    }
}

void COSMCtrlScaleBarPainter::Prepare(const COSMCtrlScaleBar& bar)
{
    if (bar.length == length_ && bar.text == text_ && !pixmap_.isNull()) {
        return;
    }
    text_ = bar.text;
    length_ = bar.length;
    const QFontMetrics metrics(font_);
    boxHeight_ = metrics.height() + 4;
    const int textWidth = metrics.horizontalAdvance(bar.text);
    margin_ = std::max(0, (textWidth - bar.length + 1) / 2 + 1);
    pixmap_ = QPixmap(bar.length + 1 + 2 * margin_, boxHeight_);
    pixmap_.fill(Qt::transparent);
    QPainter painter(&pixmap_);
    painter.setPen(Qt::black);
    painter.setFont(font_);
    const QRect box(margin_, 0, bar.length, boxHeight_);
    painter.drawText(QRect(0, 0, pixmap_.width(), boxHeight_), Qt::AlignCenter, bar.text);
    const int bottom = box.top() + boxHeight_ - 1;
    const int right = box.left() + bar.length;
    painter.drawLine(box.left(), bottom, right, bottom);
    painter.drawLine(box.left(), bottom - 3, box.left(), bottom);
    painter.drawLine(right, bottom - 3, right, bottom);
}

QRect COSMCtrlScaleBarPainter::BoxRect(const COSMCtrlScaleBar& bar, const QSize& client, int corner, int dx, int dy)
{
    Prepare(bar);
    return COSMCtrlCorner::Place(client, corner, dx, dy, QSize(bar.length, boxHeight_));
}

void COSMCtrlScaleBarPainter::Draw(QPainter& painter, const COSMCtrlScaleBar& bar, const QSize& client, int corner,
                                   int dx, int dy)
{
    const QRect box = BoxRect(bar, client, corner, dx, dy);
    painter.drawPixmap(box.left() - margin_, box.top(), pixmap_);
}
