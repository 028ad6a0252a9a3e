#include "map/COSMCtrlView.h"

#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlTileLayout.h"

#include <algorithm>
#include <cmath>

namespace {

double WrapLongitude(double longitude)
{
    if (longitude < -180.0 || longitude > 180.0) {
        longitude = std::fmod(longitude, 360.0);
        if (longitude > 180.0) {
            longitude -= 360.0;
        } else if (longitude < -180.0) {
            longitude += 360.0;
        }
    }
    return longitude;
}

} // namespace

COSMCtrlView::COSMCtrlView(const COSMCtrlPosition& centre, double zoom, double rotation, const QSizeF& client)
    : centre_(centre)
    , zoom_(zoom)
    , rotation_(rotation)
    , client_(client)
    , wholeZoom_(int(std::floor(zoom)))
    , tilesPerSide_(COSMCtrlProjection::TilesPerSide(wholeZoom_))
    , tileSize_(COSMCtrlTileLayout::TileSize(zoom))
    , clientCentre_(client.width() / 2.0, client.height() / 2.0)
    , centreTile_(COSMCtrlProjection::TileFromPosition(centre, wholeZoom_))
    , cos_(std::cos(rotation / COSMCtrlProjection::kDegreesPerRadian))
    , sin_(std::sin(rotation / COSMCtrlProjection::kDegreesPerRadian))
{
}

bool COSMCtrlView::Normalise(double& zoom, double& rotation, COSMCtrlPosition& position)
{
    if (!(zoom >= COSMCtrlProjection::kMinZoom && zoom <= COSMCtrlProjection::kMaxZoom)) {
        return false;
    }
    // Values from evidence files may be NaN or infinite: refused here, they would never settle.
    if (!std::isfinite(rotation) || !std::isfinite(position.longitude) || !std::isfinite(position.latitude)) {
        return false;
    }
    double turned = rotation;
    if (turned < 0.0 || turned > 360.0) {
        turned = std::fmod(turned, 360.0);
        if (turned < 0.0) {
            turned += 360.0;
        }
    }
    COSMCtrlPosition placed = position;
    placed.longitude = WrapLongitude(position.longitude);
    const int wholeZoom = int(std::floor(zoom));
    if (!COSMCtrlProjection::IsInside(COSMCtrlProjection::TileFromPosition(placed, wholeZoom), wholeZoom)) {
        return false;
    }
    rotation = turned;
    position = placed;
    return true;
}

// Client = centre + R(-rotation)(map - centre), R(a) turning (x, y) into
// (x cos a - y sin a, x sin a + y cos a) as the painter's rotate() does.
QPointF COSMCtrlView::ClientFromMap(const QPointF& mapPoint) const
{
    const QPointF d = mapPoint - clientCentre_;
    return clientCentre_ + QPointF(d.x() * cos_ + d.y() * sin_, -d.x() * sin_ + d.y() * cos_);
}

QPointF COSMCtrlView::MapDelta(const QPointF& clientDelta) const
{
    return QPointF(clientDelta.x() * cos_ - clientDelta.y() * sin_, clientDelta.x() * sin_ + clientDelta.y() * cos_);
}

QPointF COSMCtrlView::MapFromClient(const QPointF& clientPoint) const
{
    return clientCentre_ + MapDelta(clientPoint - clientCentre_);
}

QPointF COSMCtrlView::TileFromMap(const QPointF& mapPoint) const
{
    return centreTile_ + (mapPoint - clientCentre_) / tileSize_;
}

QPointF COSMCtrlView::MapFromTile(const QPointF& tile) const
{
    return clientCentre_ + (tile - centreTile_) * tileSize_;
}

std::optional<COSMCtrlPosition> COSMCtrlView::PositionFromPoint(const QPointF& clientPoint) const
{
    QPointF tile = TileFromMap(MapFromClient(clientPoint));
    if (!(tile.y() >= 0.0 && tile.y() <= tilesPerSide_) || !std::isfinite(tile.x())) {
        return std::nullopt;
    }
    COSMCtrlPosition position = COSMCtrlProjection::PositionFromTile(tile, wholeZoom_);
    position.longitude = WrapLongitude(position.longitude);
    return position;
}

std::optional<QPointF> COSMCtrlView::PointFromPosition(const COSMCtrlPosition& position) const
{
    return PointFromPosition(position, centreTile_.x());
}

std::optional<QPointF> COSMCtrlView::PointFromPosition(const COSMCtrlPosition& position, double nearColumn,
                                                       double* column) const
{
    if (!COSMCtrlProjection::IsOnMap(position, wholeZoom_)) {
        return std::nullopt;
    }
    QPointF tile = COSMCtrlProjection::TileFromPosition(position, wholeZoom_);
    // The copy of the world whose column lies within half a world of the reference.
    tile.rx() -= std::round((tile.x() - nearColumn) / tilesPerSide_) * tilesPerSide_;
    if (column != nullptr) {
        *column = tile.x();
    }
    return ClientFromMap(MapFromTile(tile));
}

COSMCtrlPosition COSMCtrlView::PositionFromCentreTile(QPointF tile, int wholeZoom) const
{
    COSMCtrlPosition position = centre_;
    const COSMCtrlPosition placed = COSMCtrlProjection::PositionFromTile(tile, wholeZoom);
    position.longitude = WrapLongitude(placed.longitude);
    position.latitude = placed.latitude;
    return position;
}

COSMCtrlPosition COSMCtrlView::CentreAfterDrag(const QPointF& clientDelta) const
{
    return PositionFromCentreTile(centreTile_ - MapDelta(clientDelta) / tileSize_, wholeZoom_);
}

COSMCtrlPosition COSMCtrlView::CentreKeeping(const QPointF& clientPoint, double newZoom) const
{
    // Tile coordinates of one level are those of another times a power of two, so the point is
    // carried over without a detour through degrees.
    const QPointF offset = MapFromClient(clientPoint) - clientCentre_;
    const int newWholeZoom = int(std::floor(newZoom));
    const double scale = std::ldexp(1.0, newWholeZoom - wholeZoom_);
    const QPointF pointTile = (centreTile_ + offset / tileSize_) * scale;
    QPointF centreTile = pointTile - offset / COSMCtrlTileLayout::TileSize(newZoom);
    // Near the top or bottom edge the kept point would push the centre off the map.
    centreTile.setY(std::clamp(centreTile.y(), 0.0, COSMCtrlProjection::TilesPerSide(newWholeZoom)));
    return PositionFromCentreTile(centreTile, newWholeZoom);
}

void COSMCtrlView::Cells(std::vector<Cell>& cells) const
{
    cells.clear();
    // Under a rotation the turned client area reaches as far as its half diagonal.
    QRectF cover(QPointF(0.0, 0.0), client_);
    if (rotation_ != 0.0 && rotation_ != 360.0) {
        const double reach = std::hypot(client_.width(), client_.height()) / 2.0;
        cover = QRectF(clientCentre_.x() - reach, clientCentre_.y() - reach, 2.0 * reach, 2.0 * reach);
    }
    const double baseColumn = std::floor(centreTile_.x());
    const double baseRow = std::floor(centreTile_.y());
    double left = clientCentre_.x() - (centreTile_.x() - baseColumn) * tileSize_;
    double top = clientCentre_.y() - (centreTile_.y() - baseRow) * tileSize_;
    const double firstColumn = baseColumn - std::ceil((left - cover.left()) / tileSize_);
    const double firstRow = baseRow - std::ceil((top - cover.top()) / tileSize_);
    left -= (baseColumn - firstColumn) * tileSize_;
    top -= (baseRow - firstRow) * tileSize_;
    const long long n = static_cast<long long>(tilesPerSide_);
    double row = firstRow;
    for (double y = top; y < cover.bottom(); y += tileSize_, row += 1.0) {
        double column = firstColumn;
        for (double x = left; x < cover.right(); x += tileSize_, column += 1.0) {
            Cell cell;
            cell.rect = QRectF(x, y, tileSize_, tileSize_);
            cell.column = int(((static_cast<long long>(column) % n) + n) % n);
            cell.row = int(row);
            cell.onMap = row >= 0.0 && row < tilesPerSide_;
            cells.push_back(cell);
        }
    }
}

COSMCtrlDownloadTileItemArray COSMCtrlView::Layout(int extraTiles, bool doNotSort) const
{
    return COSMCtrlTileLayout::Compute(centreTile_.x(), centreTile_.y(), zoom_,
                                       QRectF(QPointF(0.0, 0.0), client_), extraTiles, doNotSort);
}
