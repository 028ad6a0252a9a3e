#pragma once

#include "map/COSMCtrlDownloadTileItem.h"

#include <QRectF>

// The tiles around the current view, from which the tile requests pick the one nearest the
// centre. A plain calculation, so that it can be checked without a window.
class COSMCtrlTileLayout {
public:
    // centreTileX/Y: the view centre in tile coordinates at the whole level of zoom (fractions
    // included). Rows off the map are not listed; columns wrap because the world repeats.
    static COSMCtrlDownloadTileItemArray Compute(double centreTileX, double centreTileY, double zoom,
                                                 const QRectF& client, int extraTiles, bool doNotSort);

    // 256 pixels times one plus the zoom's fraction.
    static double TileSize(double zoom);
    // 2^z tiles per side at whole level z.
    static int TilesPerSide(int wholeZoom);
};
