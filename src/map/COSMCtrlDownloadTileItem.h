#pragma once

#include "map/CSortedArrayEx.h"

// One tile of the grid around the current view: its column and row, where it is drawn, and how
// far its centre lies from the centre of the control.
class COSMCtrlDownloadTileItem {
public:
    int x = 0;
    int y = 0;
    // Destination rectangle in client pixels.
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    double distance = 0.0;
};

// Orders by increasing distance, so that the first item is the tile nearest the centre.
int CompareCOSMCtrlDownloadTileItem(const COSMCtrlDownloadTileItem& a, const COSMCtrlDownloadTileItem& b);

using COSMCtrlDownloadTileItemArray = CSortedArrayEx<COSMCtrlDownloadTileItem, CompareCOSMCtrlDownloadTileItem>;
