#include "viewer/VideoPlayerZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void VideoPlayerZoom::Resize(const QSize& size)
{
    if (size.width() <= 0 || size.height() <= 0) {
        // Nothing to divide by: keep the rectangles until the container has area again.
        collapsed_ = true;
        return;
    }
    if (width_ > 0 && height_ > 0 && IsZoomed()) {
        const double kx = static_cast<double>(size.width()) / width_;
        const double ky = static_cast<double>(size.height()) / height_;
        left_ = static_cast<int>(left_ * kx);
        right_ = static_cast<int>(right_ * kx);
        top_ = static_cast<int>(top_ * ky);
        bottom_ = static_cast<int>(bottom_ * ky);
        width_ = size.width();
        height_ = size.height();
        Clamp();
    } else {
        width_ = size.width();
        height_ = size.height();
        SetPicture(0, 0, width_, height_);
    }
    collapsed_ = false;
}

double VideoPlayerZoom::Factor() const
{
    return width_ > 0 ? static_cast<double>(right_ - left_) / width_ : 1.0;
}

void VideoPlayerZoom::SetPicture(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    right_ = left + width;
    bottom_ = top + height;
}

bool VideoPlayerZoom::ZoomBy(double factor)
{
    if (collapsed_) {
        return false;
    }
    const double current = Factor();
    const double next = std::max(1.0, current * factor);
    if (next > kMaxFactor || next == current) {
        return false;
    }
    const int w = static_cast<int>(width_ * next);
    const int h = static_cast<int>(height_ * next);
    if (next <= 1.0) {
        SetPicture(0, 0, w, h);
    } else {
        // The point at the visible centre stays where it is.
        const int cx = width_ / 2;
        const int cy = height_ / 2;
        SetPicture(cx - static_cast<int>(std::floor((cx - left_) * factor)),
                   cy - static_cast<int>(std::floor((cy - top_) * factor)), w, h);
    }
    Clamp();
    return true;
}

bool VideoPlayerZoom::ZoomToRect(const QPoint& a, const QPoint& b)
{
    if (collapsed_) {
        return false;
    }
    const int x1 = std::min(a.x(), b.x());
    const int y1 = std::min(a.y(), b.y());
    const int rw = std::abs(b.x() - a.x());
    const int rh = std::abs(b.y() - a.y());
    const double current = Factor();
    if (rw < 1 || current >= kMaxFactor) {
        return false;
    }
    const double next = std::clamp(static_cast<double>(right_ - left_) / std::max(rw, rh), 1.0, kMaxFactor);
    if (next == current) {
        return false;
    }
    // The rectangle's top-left corner comes to the visible top-left corner.
    const int left = static_cast<int>(-(x1 - left_) / current * next);
    const int top = static_cast<int>(-(y1 - top_) / current * next);
    SetPicture(left, top, static_cast<int>(width_ * next), static_cast<int>(height_ * next));
    Clamp();
    return true;
}

bool VideoPlayerZoom::PanBy(const QPoint& delta)
{
    if (collapsed_) {
        return false;
    }
    bool moved = false;
    const int dx = delta.x();
    const int dy = delta.y();
    if (dx != 0 && left_ + dx <= 0 && right_ + dx >= width_) {
        left_ += dx;
        right_ += dx;
        moved = true;
    }
    if (dy != 0 && top_ + dy <= 0 && bottom_ + dy >= height_) {
        top_ += dy;
        bottom_ += dy;
        moved = true;
    }
    Clamp();
    return moved;
}

// Shifts, never resizes: left and top at most 0, right and bottom at least the visible edges.
void VideoPlayerZoom::Clamp()
{
    if (left_ > 0) {
        right_ -= left_;
        left_ = 0;
    }
    if (top_ > 0) {
        bottom_ -= top_;
        top_ = 0;
    }
    if (right_ < width_) {
        left_ += width_ - right_;
        right_ = width_;
    }
    if (bottom_ < height_) {
        top_ += height_ - bottom_;
        bottom_ = height_;
    }
}

VideoPlayerZoom::View VideoPlayerZoom::ViewOf(const QSize& frame) const
{
    const int pw = right_ - left_;
    const int ph = bottom_ - top_;
    if (collapsed_ || frame.isEmpty() || pw <= 0 || ph <= 0) {
        return {};
    }
    // The visible part of the picture, in picture coordinates, then in frame pixels.
    const int x0 = std::clamp(-left_, 0, pw);
    const int y0 = std::clamp(-top_, 0, ph);
    const int x1 = std::clamp(-left_ + width_, 0, pw);
    const int y1 = std::clamp(-top_ + height_, 0, ph);
    if (x1 <= x0 || y1 <= y0) {
        return {};
    }
    auto scale = [](int v, int from, int to) {
        return static_cast<int>(std::lround(static_cast<double>(v) * to / from));
    };
    auto span = [](int a, int b, int limit) {
        a = std::clamp(a, 0, limit - 1);
        b = std::clamp(b, a + 1, limit);
        return std::pair(a, b);
    };
    auto [sx0, sx1] = span(scale(x0, pw, frame.width()), scale(x1, pw, frame.width()), frame.width());
    auto [sy0, sy1] = span(scale(y0, ph, frame.height()), scale(y1, ph, frame.height()), frame.height());
    // The origin on the even grid where a 4:2:0 frame's planes all start at a whole sample, as
    // the library would put it; the size stays.
    const int w = sx1 - sx0;
    const int h = sy1 - sy0;
    sx0 &= ~1;
    sy0 &= ~1;
    return View{QRect(sx0, sy0, w, h), QSize(x1 - x0, y1 - y0)};
}

QRectF VideoPlayerZoom::Place(const QRect& source, const QSize& frame, const QSize& picture)
{
    if (frame.isEmpty()) {
        return QRectF(QPointF(), QSizeF(picture));
    }
    const double kx = static_cast<double>(picture.width()) / frame.width();
    const double ky = static_cast<double>(picture.height()) / frame.height();
    return QRectF(source.x() * kx, source.y() * ky, source.width() * kx, source.height() * ky);
}

QPointF VideoPlayerZoom::FractionOf(const QPoint& point) const
{
    const int pw = right_ - left_;
    const int ph = bottom_ - top_;
    if (pw <= 0 || ph <= 0) {
        return {};
    }
    return QPointF(std::clamp(static_cast<double>(point.x() - left_) / pw, 0.0, 1.0),
                   std::clamp(static_cast<double>(point.y() - top_) / ph, 0.0, 1.0));
}
