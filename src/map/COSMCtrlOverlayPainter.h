#pragma once

#include "map/COSMCtrlIcon.h"
#include "map/COSMCtrlMarker.h"
#include "map/COSMCtrlPolyline.h"

#include <QPointF>
#include <vector>

class COSMCtrlView;
class QPainter;

// Draws the owner's polylines and markers over the tiles, in client pixels (after the map's
// rotation has been removed). Keeps its point buffer between paints.
class COSMCtrlOverlayPainter {
public:
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

private:
    void DrawPolyline(QPainter& painter, const COSMCtrlView& view, const COSMCtrlPolyline& polyline);
    static void DrawCap(QPainter& painter, const QPointF& end, const QPointF& outward, int cap,
                        const COSMCtrlPolyline& polyline);

    std::vector<QPointF> points_;
    std::vector<bool> selected_;
};
