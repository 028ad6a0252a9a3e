#pragma once

#include "map/COSMCtrlDownloadTileItem.h"
#include "map/COSMCtrlPosition.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>
#include <vector>

// One view of the map: centre, zoom, rotation and client size, and the projection between
// client pixels and positions that drawing, hit tests and navigation share.
//
// Three spaces: tile coordinates at the whole zoom level; map pixels, where the centre position
// sits at the client centre and a tile is TileSize() pixels wide; and client pixels, which are
// map pixels turned by -rotation degrees about the client centre (the drawing's rotation).
class COSMCtrlView {
public:
    // One cell of the tile grid that covers the client area, in map pixels. The column is
    // wrapped onto the world; a row off the map is kept, flagged, to be drawn as a placeholder.
    struct Cell {
        QRectF rect;
        int column = 0;
        int row = 0;
        bool onMap = false;
    };

    COSMCtrlView(const COSMCtrlPosition& centre, double zoom, double rotation, const QSizeF& client);

    // The rules of SetCenterAndZoom: false (nothing changed) for a zoom outside [0, 18], a value
    // that is not finite, or a position whose tile coordinates leave [0, 2^z]; else the rotation
    // is brought into [0, 360] and the longitude into [-180, 180].
    static bool Normalise(double& zoom, double& rotation, COSMCtrlPosition& position);

    int WholeZoom() const { return wholeZoom_; }
    double TileSize() const { return tileSize_; }
    QPointF ClientCentre() const { return clientCentre_; }
    QPointF CentreTile() const { return centreTile_; }

    QPointF ClientFromMap(const QPointF& mapPoint) const;
    QPointF MapFromClient(const QPointF& clientPoint) const;
    // A client-pixel movement expressed in map pixels (turned by the rotation).
    QPointF MapDelta(const QPointF& clientDelta) const;
    QPointF TileFromMap(const QPointF& mapPoint) const;
    QPointF MapFromTile(const QPointF& tile) const;

    // The position drawn at a client point; nothing when the point lies above or below the map.
    // The world repeats sideways, so the longitude is brought back into [-180, 180].
    std::optional<COSMCtrlPosition> PositionFromPoint(const QPointF& clientPoint) const;
    // The client point of a position on the copy of the world nearest the view's centre;
    // nothing when it is off the map.
    std::optional<QPointF> PointFromPosition(const COSMCtrlPosition& position) const;
    // The same, on the copy nearest a tile column (for lines that cross the date line).
    std::optional<QPointF> PointFromPosition(const COSMCtrlPosition& position, double nearColumn,
                                             double* column = nullptr) const;

    // The centre after the pointer moved by a client delta while dragging the map.
    COSMCtrlPosition CentreAfterDrag(const QPointF& clientDelta) const;
    // The centre at another zoom that keeps the map point under a client point where it is.
    COSMCtrlPosition CentreKeeping(const QPointF& clientPoint, double newZoom) const;

    // The grid that covers the client area (all of it under any rotation). Reuses the vector.
    void Cells(std::vector<Cell>& cells) const;
    // The tiles around the view for the download requests.
    COSMCtrlDownloadTileItemArray Layout(int extraTiles, bool doNotSort) const;

private:
    COSMCtrlPosition PositionFromCentreTile(QPointF tile, int wholeZoom) const;

    COSMCtrlPosition centre_;
    double zoom_;
    double rotation_;
    QSizeF client_;
    int wholeZoom_;
    double tilesPerSide_;
    double tileSize_;
    QPointF clientCentre_;
    QPointF centreTile_;
    double cos_;
    double sin_;
};
