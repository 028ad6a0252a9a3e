#include "map/COSMCtrlScaleBar.h"

#include "map/COSMCtrlGeodesic.h"
#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlTileLayout.h"

#include <cmath>

bool COSMCtrlScaleBar::UseImperial(int unitsOption, QLocale::MeasurementSystem system)
{
    if (unitsOption == kUnitsMetric) {
        return false;
    }
    if (unitsOption == kUnitsImperial) {
        return true;
    }
    return system == QLocale::ImperialUSSystem || system == QLocale::ImperialUKSystem;
}

double COSMCtrlScaleBar::RoundValue(double distance)
{
    const double step = std::pow(10.0, std::floor(std::log10(distance)));
    return std::ceil(distance / step) * step;
}

std::optional<COSMCtrlScaleBar> COSMCtrlScaleBar::Compute(const COSMCtrlPosition& centre, double zoom, bool imperial)
{
    const int wholeZoom = int(std::floor(zoom));
    // At zoom 0 a whole column would reach the same meridian again: half of one is measured.
    const double columns = wholeZoom == 0 ? 0.5 : 1.0;
    const double tileX = COSMCtrlProjection::TileX(centre.longitude, wholeZoom);
    const COSMCtrlPosition east(COSMCtrlProjection::Longitude(tileX + columns, wholeZoom), centre.latitude);
    double kilometres = COSMCtrlGeodesic::EllipsoidDistance(centre, east) / 1000.0;
    if (wholeZoom == 0) {
        kilometres *= 2.0;
    }
    COSMCtrlScaleBar bar;
    bar.distance = imperial ? kilometres * kMilesPerKilometre : kilometres;
    if (!std::isfinite(bar.distance) || bar.distance <= 0.0) {
        return std::nullopt;
    }
    bar.value = RoundValue(bar.distance);
    const double tileSize = COSMCtrlTileLayout::TileSize(zoom) * (wholeZoom == 0 ? 0.5 : 1.0);
    bar.length = int(bar.value / bar.distance * tileSize + 0.5);
    if (imperial) {
        bar.text = QStringLiteral("%1 Miles").arg(QString::asprintf(bar.value < 1.0 ? "%.3f" : "%.0f", bar.value));
    } else if (bar.value < 1.0) {
        bar.text = QStringLiteral("%1 Meters").arg(QString::asprintf("%.0f", bar.value * 1000.0));
    } else {
        bar.text = QStringLiteral("%1 Kilometers").arg(QString::asprintf("%.0f", bar.value));
    }
    return bar;
}
