#pragma once

#include "map/COSMCtrlIcon.h"
#include "map/COSMCtrlMarker.h"
#include "map/COSMCtrlPolyline.h"

#include <QColor>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <vector>

class COSMCtrlView;
class QPainter;

// Draws the owner's polylines and markers over the tiles, in client pixels (after the map's
// rotation has been removed). The drawing is kept in a layer as large as the client area and
// only copied while neither the view nor the overlays change: a track of thousands of samples
// is stroked once, not at every repaint.
class COSMCtrlOverlayPainter {
public:
    // What the layer was drawn for. `content` changes whenever the owner may have changed the
    // overlays.
    struct LayerKey {
        double longitude = 0.0;
        double latitude = 0.0;
        double zoom = -1.0;
        double rotation = 0.0;
        QSize size;
        qreal pixelRatio = 1.0;
        quint64 content = 0;
        bool operator==(const LayerKey&) const = default;
    };

    // Polylines, then markers.
    void Draw(QPainter& painter, const COSMCtrlView& view, const LayerKey& key,
              const std::vector<COSMCtrlPolyline>& polylines, const std::vector<COSMCtrlMarker>& markers,
              const std::vector<COSMCtrlIcon*>& icons);
    // Whether the last Draw drew the overlays anew rather than copying them.
    bool Redrew() const { return redrew_; }

    // Every visible polyline of two or more nodes whose zoom range holds the zoom, by its style.
    void DrawPolylines(QPainter& painter, const COSMCtrlView& view, double zoom,
                       const std::vector<COSMCtrlPolyline>& polylines);
    // One marker draws itself; of two or more, the first and the last are drawn.
    void DrawMarkers(QPainter& painter, const COSMCtrlView& view, double zoom, const std::vector<COSMCtrlMarker>& markers,
                     const std::vector<COSMCtrlIcon*>& icons);

    // Indexes of the markers a list of `count` shows.
    static std::vector<std::size_t> DrawnMarkers(std::size_t count);

    // The bitmap's top-left so that the anchor pixel sits on the point.
    static QPoint IconOrigin(const QPointF& point, const COSMCtrlIcon& icon);

    // Line points closer than this (pixels) to the previous one are left out of the stroke.
    static constexpr double kMergeDistance = 0.75;
    static constexpr std::size_t kMaxSprites = 8;

private:
    struct Sprite {
        QColor colour;
        double diameter;
        QPixmap pixmap;
    };

    void DrawPolyline(QPainter& painter, const COSMCtrlView& view, const COSMCtrlPolyline& polyline);
    void DrawRun(QPainter& painter, const QPen& pen, std::size_t start, std::size_t end, const COSMCtrlPolyline& polyline);
    // A node's dot of a colour and diameter, drawn once and kept.
    const QPixmap& Dot(const QColor& colour, double diameter);
    void StampDot(QPainter& painter, const QPointF& centre, const QColor& colour, double diameter);
    static void DrawCap(QPainter& painter, const QPointF& end, const QPointF& outward, int cap,
                        const COSMCtrlPolyline& polyline);

    std::vector<QPointF> points_;
    QRectF drawn_;  // what the drawing since the layer was cleared covers
    QImage layer_;
    QRect layerArea_;
    LayerKey layerKey_;
    bool redrew_ = false;
    std::vector<bool> selected_;
    std::vector<QPointF> line_;
    std::vector<Sprite> sprites_;
};
