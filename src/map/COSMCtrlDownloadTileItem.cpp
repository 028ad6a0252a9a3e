#include "map/COSMCtrlDownloadTileItem.h"

int CompareCOSMCtrlDownloadTileItem(const COSMCtrlDownloadTileItem& a, const COSMCtrlDownloadTileItem& b)
{
    if (a.distance < b.distance) {
        return -1;
    }
    if (a.distance > b.distance) {
        return 1;
    }
    return 0;
}
