#include "map/COSMCtrlProjection.h"

#include <cmath>
#include <numbers>

double COSMCtrlProjection::TilesPerSide(int wholeZoom)
{
    return std::ldexp(1.0, wholeZoom);
}

double COSMCtrlProjection::TileX(double longitude, int wholeZoom)
{
    return (longitude + 180.0) / 360.0 * TilesPerSide(wholeZoom);
}

double COSMCtrlProjection::TileY(double latitude, int wholeZoom)
{
    const double phi = latitude / kDegreesPerRadian;
    return (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / std::numbers::pi) / 2.0 * TilesPerSide(wholeZoom);
}

double COSMCtrlProjection::Longitude(double tileX, int wholeZoom)
{
    return tileX / TilesPerSide(wholeZoom) * 360.0 - 180.0;
}

double COSMCtrlProjection::Latitude(double tileY, int wholeZoom)
{
    const double pi = std::numbers::pi;
    return std::atan(std::sinh(pi - 2.0 * pi * tileY / TilesPerSide(wholeZoom))) * kDegreesPerRadian;
}

QPointF COSMCtrlProjection::TileFromPosition(const COSMCtrlPosition& position, int wholeZoom)
{
    return QPointF(TileX(position.longitude, wholeZoom), TileY(position.latitude, wholeZoom));
}

COSMCtrlPosition COSMCtrlProjection::PositionFromTile(const QPointF& tile, int wholeZoom)
{
    return COSMCtrlPosition(Longitude(tile.x(), wholeZoom), Latitude(tile.y(), wholeZoom));
}

bool COSMCtrlProjection::IsInside(const QPointF& tile, int wholeZoom)
{
    // Written as "inside" so that NaN, which compares false with everything, is never inside.
    const double n = TilesPerSide(wholeZoom);
    return tile.x() >= 0.0 && tile.x() <= n && tile.y() >= 0.0 && tile.y() <= n;
}

bool COSMCtrlProjection::IsOnMap(const COSMCtrlPosition& position, int wholeZoom)
{
    const double y = TileY(position.latitude, wholeZoom);
    return std::isfinite(position.longitude) && y >= 0.0 && y <= TilesPerSide(wholeZoom);
}
