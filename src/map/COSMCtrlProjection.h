#pragma once

#include "map/COSMCtrlPosition.h"

#include <QPointF>

// Web Mercator tile coordinates at a whole zoom level z, where the world is n = 2^z tiles a side:
// column 0 starts at longitude -180, row 0 at the top of the map (about 85.0511 degrees north).
// Fractions locate a point inside its tile.
class COSMCtrlProjection {
public:
    static constexpr int kMinZoom = 0;
    static constexpr int kMaxZoom = 18;
    static constexpr double kDegreesPerRadian = 57.29577951308232;

    // 2^z exactly.
    static double TilesPerSide(int wholeZoom);

    static double TileX(double longitude, int wholeZoom);
    static double TileY(double latitude, int wholeZoom);
    static double Longitude(double tileX, int wholeZoom);
    static double Latitude(double tileY, int wholeZoom);

    static QPointF TileFromPosition(const COSMCtrlPosition& position, int wholeZoom);
    // Longitude and latitude of a tile coordinate; the other fields stay at their defaults.
    static COSMCtrlPosition PositionFromTile(const QPointF& tile, int wholeZoom);

    // Whether a tile coordinate lies within [0, n] both ways. NaN and infinities lie nowhere.
    static bool IsInside(const QPointF& tile, int wholeZoom);
    // Whether the position's row lies on the map at that level (its column wraps).
    static bool IsOnMap(const COSMCtrlPosition& position, int wholeZoom);
};
