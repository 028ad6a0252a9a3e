#include "map/COSMCtrlTileLayout.h"

#include <cmath>

double COSMCtrlTileLayout::TileSize(double zoom)
{
    return 256.0 * (1.0 + (zoom - std::floor(zoom)));
}

int COSMCtrlTileLayout::TilesPerSide(int wholeZoom)
{
    // Exact powers of two: every level from 0 to 18 fits an int.
    return wholeZoom <= 0 ? 1 : (1 << wholeZoom);
}

COSMCtrlDownloadTileItemArray COSMCtrlTileLayout::Compute(double centreTileX, double centreTileY, double zoom,
                                                          const QRectF& client, int extraTiles, bool doNotSort)
{
    COSMCtrlDownloadTileItemArray items;
    const int wholeZoom = int(std::floor(zoom));
    const int n = TilesPerSide(wholeZoom);
    const double size = TileSize(zoom);
    const QPointF centre = client.center();

    int startColumn = int(std::floor(centreTileX));
    double startLeft = centre.x() - (centreTileX - std::floor(centreTileX)) * size;
    while (startLeft > client.left()) {
        startLeft -= size;
        --startColumn;
    }
    for (int i = 0; i < extraTiles && startColumn >= 0; ++i) {
        startLeft -= size;
        --startColumn;
    }

    int startRow = int(std::floor(centreTileY));
    double startTop = centre.y() - (centreTileY - std::floor(centreTileY)) * size;
    while (startTop > client.top()) {
        startTop -= size;
        --startRow;
    }
    for (int i = 0; i < extraTiles && startRow >= 0; ++i) {
        startTop -= size;
        --startRow;
    }

    const double rightLimit = client.right() + extraTiles * 256.0;
    const double bottomLimit = client.bottom() + extraTiles * 256.0;
    int row = startRow;
    for (double top = startTop; top <= bottomLimit; top += size, ++row) {
        if (row < 0 || row >= n) {
            continue;
        }
        int column = startColumn;
        for (double left = startLeft; left <= rightLimit; left += size, ++column) {
            COSMCtrlDownloadTileItem item;
            item.x = ((column % n) + n) % n;
            item.y = row;
            item.left = float(left);
            item.top = float(top);
            item.right = float(left + size);
            item.bottom = float(top + size);
            const double dx = left + size / 2.0 - centre.x();
            const double dy = top + size / 2.0 - centre.y();
            item.distance = std::sqrt(dx * dx + dy * dy);
            if (doNotSort) {
                items.Add(item);
            } else {
                items.OrderedInsert(item);
            }
        }
    }
    return items;
}
