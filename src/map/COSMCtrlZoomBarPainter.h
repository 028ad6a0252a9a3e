#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;

// The drawn zoom bar (when the slider control is not used): a zoom-in button above a track with
// a notch per level and a thumb at the current level, and a zoom-out button below. Kept as a
// picture until the level changes.
class COSMCtrlZoomBarPainter {
public:
    void Draw(QPainter& painter, const QRect& bar, double zoom);

private:
    QPixmap pixmap_;
    int thumbY_ = -1;
};
