#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// Digital zoom and pan of a tile's picture, in the coordinates of the picture container: the
// picture rectangle (where the video surface sits, wider than the container while zoomed) and the
// visible rectangle (the container at the last layout). Zoom factor = picture width / visible
// width, 1 to 3. Integer arithmetic as the tile has always done it, so that the same turns give
// the same picture. A container without area (a tile smaller than its strips) zooms nothing and
// keeps the picture's zoom for when it has area again.
class VideoPlayerZoom {
public:
    static constexpr double kMaxFactor = 3.0;
    static constexpr double kStepIn = 1.1;
    static constexpr double kStepOut = 1.0 / 1.1;

    // The rectangle of a frame the visible area shows and the size it is shown at: what the
    // decoder converts each frame to, so that a paint is a 1:1 copy.
    struct View {
        QRect source;
        QSize output;
        bool operator==(const View&) const = default;
    };

    // Adjust layout: the container's client size is now size. Zoomed, the picture rectangle is
    // scaled with the container per axis (truncated), so the same part stays visible; otherwise
    // picture and visible rectangle become the container's.
    void Resize(const QSize& size);
    // One zoom step by factor (wheel, Ctrl with plus or minus), about the visible centre. False
    // when nothing changes: beyond 3, below 1 at 1, or no area.
    bool ZoomBy(double factor);
    // Zoom so that the rectangle drawn from a to b (either way round) fills the visible area from
    // its top-left corner. False when it is narrower than one pixel, the zoom is already 3, or
    // the zoom would not change.
    bool ZoomToRect(const QPoint& a, const QPoint& b);
    // Moves the picture by delta, each axis only when the picture still covers the visible area
    // on it. False when it did not move.
    bool PanBy(const QPoint& delta);

    double Factor() const;
    bool IsZoomed() const { return Factor() > 1.0; }
    bool HasArea() const { return !collapsed_; }
    QRect Picture() const { return QRect(left_, top_, right_ - left_, bottom_ - top_); }
    QSize VisibleSize() const { return QSize(width_, height_); }
    // The visible area in the picture's own coordinates (the surface's).
    QRect VisibleInPicture() const { return QRect(-left_, -top_, width_, height_); }

    // The view for frames of this size, its origin on even pixels; empty (the whole frame at its
    // own size) without area.
    View ViewOf(const QSize& frame) const;
    // Where the part source of a frame lands in a picture of size picture.
    static QRectF Place(const QRect& source, const QSize& frame, const QSize& picture);
    // A container point as fractions of the picture shown, each clamped to 0 ... 1.
    QPointF FractionOf(const QPoint& point) const;

private:
    void SetPicture(int left, int top, int width, int height);
    void Clamp();

    int left_ = 0;
    int top_ = 0;
    int right_ = 0;
    int bottom_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool collapsed_ = true;
};
