#pragma once

#include "map/COSMCtrlPosition.h"

#include <QLocale>
#include <QString>
#include <optional>

// What the scale bar shows for a view: a round distance, its length in pixels and its text.
class COSMCtrlScaleBar {
public:
    // The distance-units option of the control.
    enum Units { kUnitsByLocale = 0, kUnitsMetric = 1, kUnitsImperial = 2 };
    static constexpr double kMilesPerKilometre = 0.621371192;

    // Option 0 follows the user's measurement system.
    static bool UseImperial(int unitsOption, QLocale::MeasurementSystem system);

    // Nothing when the distance of one tile is not a finite positive number (the length and the
    // round value divide by it).
    static std::optional<COSMCtrlScaleBar> Compute(const COSMCtrlPosition& centre, double zoom, bool imperial);

    // The first multiple of 10^floor(log10 d) that is not below d.
    static double RoundValue(double distance);

    double distance = 0.0;  // one tile, in kilometres or miles
    double value = 0.0;     // the round distance the bar stands for
    int length = 0;         // pixels
    QString text;
};
