#include "map/COSMCtrlOverlayPainter.h"

#include "map/COSMCtrlView.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

QPointF Unit(const QPointF& v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0.0 ? v / length : QPointF();
}

} // namespace

std::vector<std::size_t> COSMCtrlOverlayPainter::DrawnMarkers(std::size_t count)
{
    if (count == 0) {
        return {};
    }
    if (count == 1) {
        return {0};
    }
    return {0, count - 1};
}

QPoint COSMCtrlOverlayPainter::IconOrigin(const QPointF& point, const COSMCtrlIcon& icon)
{
    // The anchor pixel is the one whose square holds the point.
    return QPoint(int(std::floor(point.x())) - icon.anchorX, int(std::floor(point.y())) - icon.anchorY);
}

void COSMCtrlOverlayPainter::Draw(QPainter& painter, const COSMCtrlView& view, const LayerKey& key,
                                  const std::vector<COSMCtrlPolyline>& polylines,
                                  const std::vector<COSMCtrlMarker>& markers, const std::vector<COSMCtrlIcon*>& icons)
{
    redrew_ = false;
    if (polylines.empty() && markers.empty()) {
        return;
    }
    if (layer_.isNull() || !(key == layerKey_)) {
        const QSize pixels = (QSizeF(key.size) * key.pixelRatio).toSize();
        if (layer_.size() != pixels) {
            layer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            layer_.setDevicePixelRatio(key.pixelRatio);
        }
        layer_.fill(Qt::transparent);
        drawn_ = QRectF();
        {
            QPainter layerPainter(&layer_);
            DrawPolylines(layerPainter, view, key.zoom, polylines);
            DrawMarkers(layerPainter, view, key.zoom, markers, icons);
        }
        layerArea_ = drawn_.toAlignedRect() & QRect(QPoint(0, 0), key.size);
        layerKey_ = key;
        redrew_ = true;
    }
    if (!layerArea_.isEmpty()) {
        const QRectF source(QPointF(layerArea_.topLeft()) * key.pixelRatio, QSizeF(layerArea_.size()) * key.pixelRatio);
        painter.drawImage(QRectF(layerArea_), layer_, source);
    }
}

void COSMCtrlOverlayPainter::DrawMarkers(QPainter& painter, const COSMCtrlView& view, double zoom,
                                         const std::vector<COSMCtrlMarker>& markers,
                                         const std::vector<COSMCtrlIcon*>& icons)
{
    for (std::size_t index : DrawnMarkers(markers.size())) {
        const COSMCtrlMarker& marker = markers[index];
        if (!marker.ShowsAt(zoom)) {
            continue;
        }
        const std::optional<QPointF> point = view.PointFromPosition(marker.position);
        if (!point) {
            continue;
        }
        COSMCtrlIcon* icon = marker.iconIndex >= 0 && std::size_t(marker.iconIndex) < icons.size()
                                 ? icons[std::size_t(marker.iconIndex)]
                                 : nullptr;
        if (icon != nullptr && !icon->Bitmap().isNull()) {
            const QPoint origin = IconOrigin(*point, *icon);
            painter.drawImage(origin, icon->Bitmap());
            drawn_ |= QRectF(origin, icon->Bitmap().size());
        } else if (icon == nullptr) {
            const double radius = marker.width * 1.5;
            drawn_ |= QRectF(point->x() - radius - 1.0, point->y() - radius - 1.0, 2.0 * radius + 2.0, 2.0 * radius + 2.0);
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(marker.colour);
            painter.drawEllipse(*point, radius, radius);
            painter.restore();
        }
    }
}

void COSMCtrlOverlayPainter::DrawPolylines(QPainter& painter, const COSMCtrlView& view, double zoom,
                                           const std::vector<COSMCtrlPolyline>& polylines)
{
    for (const COSMCtrlPolyline& polyline : polylines) {
        if (polyline.nodes.size() >= 2 && polyline.ShowsAt(zoom)) {
            DrawPolyline(painter, view, polyline);
        }
    }
}

void COSMCtrlOverlayPainter::DrawPolyline(QPainter& painter, const COSMCtrlView& view, const COSMCtrlPolyline& polyline)
{
    // Each node goes onto the copy of the world nearest the one before it, so that a line over
    // the date line stays one line. A node off the map breaks the line there.
    points_.clear();
    selected_.clear();
    double column = view.CentreTile().x();
    for (const COSMCtrlNode& node : polyline.nodes) {
        double nodeColumn = column;
        const std::optional<QPointF> point = view.PointFromPosition(node.position, column, &nodeColumn);
        if (!point) {
            points_.push_back(QPointF(qQNaN(), qQNaN()));
            selected_.push_back(false);
            continue;
        }
        column = nodeColumn;
        points_.push_back(*point);
        selected_.push_back(node.selected);
    }

    // What the line, its joins and caps and its dots can cover.
    double left = qInf();
    double top = qInf();
    double right = -qInf();
    double bottom = -qInf();
    for (const QPointF& p : points_) {
        if (!std::isnan(p.x())) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    }
    if (left > right) {
        return;
    }
    const double margin = polyline.lineWidth * std::max(1.0, polyline.miterLimit)
                          + std::max(polyline.nodeSize, polyline.selectedNodeSize) + 2.0;
    drawn_ |= QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-margin, -margin, margin, margin);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (polyline.DrawsLine()) {
        const QPen pen = polyline.LinePen();
        painter.setBrush(Qt::NoBrush);
        std::size_t start = 0;
        while (start < points_.size()) {
            while (start < points_.size() && std::isnan(points_[start].x())) {
                ++start;
            }
            std::size_t end = start;
            while (end < points_.size() && !std::isnan(points_[end].x())) {
                ++end;
            }
            if (end - start >= 2) {
                DrawRun(painter, pen, start, end, polyline);
            }
            start = end;
        }
    }
    // Dots are stamped from a picture drawn once: hundreds of GPS samples make hundreds of dots.
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (std::isnan(points_[i].x())) {
            continue;
        }
        // A selected node always shows, in its own colour and size.
        if (selected_[i]) {
            StampDot(painter, points_[i], polyline.selectedNodeColour, polyline.selectedNodeSize);
        } else if (polyline.DrawsNodes()) {
            StampDot(painter, points_[i], polyline.nodeColour, polyline.nodeSize);
        }
    }
    painter.restore();
}

void COSMCtrlOverlayPainter::DrawRun(QPainter& painter, const QPen& pen, std::size_t start, std::size_t end,
                                     const COSMCtrlPolyline& polyline)
{
    // Samples closer than a pixel to the last one kept add nothing to the line but stroking work.
    line_.clear();
    line_.push_back(points_[start]);
    for (std::size_t i = start + 1; i + 1 < end; ++i) {
        const QPointF d = points_[i] - line_.back();
        if (d.x() * d.x() + d.y() * d.y() >= kMergeDistance * kMergeDistance) {
            line_.push_back(points_[i]);
        }
    }
    line_.push_back(points_[end - 1]);
    painter.setPen(pen);
    painter.drawPolyline(line_.data(), int(line_.size()));
    const std::size_t last = line_.size() - 1;
    DrawCap(painter, line_[0], Unit(line_[0] - line_[1]), polyline.startCap, polyline);
    DrawCap(painter, line_[last], Unit(line_[last] - line_[last - 1]), polyline.endCap, polyline);
}

const QPixmap& COSMCtrlOverlayPainter::Dot(const QColor& colour, double diameter)
{
    for (const Sprite& sprite : sprites_) {
        if (sprite.colour == colour && sprite.diameter == diameter) {
            return sprite.pixmap;
        }
    }
    if (sprites_.size() >= kMaxSprites) {
        sprites_.erase(sprites_.begin());
    }
    // Odd-sized, so that its middle is the middle of a pixel.
    const int side = 2 * int(std::ceil(diameter / 2.0)) + 1;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(side / 2.0, side / 2.0), diameter / 2.0, diameter / 2.0);
    p.end();
    sprites_.push_back({colour, diameter, pixmap});
    return sprites_.back().pixmap;
}

void COSMCtrlOverlayPainter::StampDot(QPainter& painter, const QPointF& centre, const QColor& colour, double diameter)
{
    if (!(diameter > 0.0)) {
        return;
    }
    const QPixmap& dot = Dot(colour, diameter);
    // The pixel that holds the centre gets the sprite's middle pixel.
    const int half = dot.width() / 2;
    painter.drawPixmap(int(std::floor(centre.x())) - half, int(std::floor(centre.y())) - half, dot);
}

void COSMCtrlOverlayPainter::DrawCap(QPainter& painter, const QPointF& end, const QPointF& outward, int cap,
                                     const COSMCtrlPolyline& polyline)
{
    // The pen ends the line with the dash cap; a start or end cap of another kind, and every
    // triangle, is added here.
    const bool penDrewIt = cap != COSMCtrlPolyline::kCapTriangle && cap == polyline.dashCap;
    if (cap == COSMCtrlPolyline::kCapFlat || penDrewIt || outward.isNull()) {
        return;
    }
    const double half = polyline.lineWidth / 2.0;
    const QPointF across(-outward.y() * half, outward.x() * half);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(polyline.lineColour);
    switch (cap) {
    case COSMCtrlPolyline::kCapRound:
        painter.drawEllipse(end, half, half);
        break;
    case COSMCtrlPolyline::kCapSquare: {
        const QPointF ahead = outward * half;
        const QPointF corners[] = {end + across, end + across + ahead, end - across + ahead, end - across};
        painter.drawPolygon(corners, 4);
        break;
    }
    case COSMCtrlPolyline::kCapTriangle: {
        const QPointF corners[] = {end + across, end + outward * half, end - across};
        painter.drawPolygon(corners, 3);
        break;
    }
    default:
        break;
    }
    painter.restore();
}
