#pragma once

#include "map/COSMCtrlScaleBar.h"

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QSize>

class QPainter;

// Draws the scale bar in opaque black: the text centred in a box as wide as the bar and 4 pixels
// taller than the text, a 1-pixel bar along the box's bottom edge with 3-pixel upward ticks at
// both ends. The drawing is kept until its text, length or font change.
class COSMCtrlScaleBarPainter {
public:
    void SetFont(const QFont& font);
    // The box for a bar at a corner of the client area.
    QRect BoxRect(const COSMCtrlScaleBar& bar, const QSize& client, int corner, int dx, int dy);
    void Draw(QPainter& painter, const COSMCtrlScaleBar& bar, const QSize& client, int corner, int dx, int dy);

private:
    void Prepare(const COSMCtrlScaleBar& bar);

    QFont font_;
    QString text_;
    int length_ = -1;
    int boxHeight_ = 0;
    int margin_ = 0;  // pixels left of the box that a wider text reaches into
    QPixmap pixmap_;
};
