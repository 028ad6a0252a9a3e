#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the zoom bar, the scale bar and the attribution sit: a corner of the client area and
// offsets from it. Corner 0 is top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
class COSMCtrlCorner {
public:
    enum { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };

    static bool IsRight(int corner) { return corner == kTopRight || corner == kBottomRight; }
    static bool IsBottom(int corner) { return corner == kBottomLeft || corner == kBottomRight; }

    // The corner point: (left + dx, top + dy), (right - dx, top + dy), (left + dx, bottom - dy) or
    // (right - dx, bottom - dy), right and bottom being the client's width and height.
    static QPoint Point(const QSize& client, int corner, int dx, int dy);
    // An element of the given size whose top-left is the corner point, moved left by its width
    // for right-hand corners and up by its height for bottom corners.
    static QRect Place(const QSize& client, int corner, int dx, int dy, const QSize& element);
};
