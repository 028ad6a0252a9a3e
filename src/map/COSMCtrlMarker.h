#pragma once

#include "map/COSMCtrlPosition.h"

#include <QColor>
#include <QString>

// One marker the owner puts on the map. Markers without an icon are drawn as a dot of their
// colour, `width` pixels across times three.
class COSMCtrlMarker {
public:
    COSMCtrlMarker() = default;
    COSMCtrlMarker(const COSMCtrlPosition& where, int icon)
        : iconIndex(icon)
        , position(where)
    {
    }

    // Whether it shows at this zoom: visible and inside its zoom range.
    bool ShowsAt(double zoom) const { return visible && zoom >= minZoom && zoom <= maxZoom; }

    int iconIndex = -1;
    COSMCtrlPosition position;
    QString toolTipText;
    bool visible = true;
    bool selectable = true;
    double minZoom = 0.0;
    double maxZoom = 18.0;
    QColor colour = QColor(255, 0, 0);
    double width = 2.0;
};
