#pragma once

#include "evidence/MetadataSample.h"

#include <QString>
#include <utility>
#include <vector>

// The texts the vehicle panels show for one sample: the map view's panel and the Vehicle Info list
// both take them from here, so the two never disagree. Coordinates are written as whole degrees and
// minutes, never as decimal degrees dressed up as minutes.
class MetadataPanelText {
public:
    static constexpr int kUnknownDirectionString = 115;

    // "33° 51.408000'": whole degrees and minutes to 6 decimals, 60 minutes carried into a degree.
    static QString DegreeForm(double value);
    // Degree form, a space, the hemisphere text.
    static QString Coordinate(double value, const QString& hemisphere);
    static QString Direction(int32_t index);
    static QString Speed(double mph);
    static QString Acceleration(double x, double y, double z);
    // Input 1 to 14: "NA" when it has no name (not wired), else "YES" or "NO" by its bit.
    static QString Input(const MetadataSample& sample, int input);
    static QString InputLabel(int input);
    static QString AcceleratorPressure(double value);
    static QString BrakePressure(double value);

    static double Round(double value, int decimals);

    // Every (label, value) pair of the panel, top to bottom.
    static std::vector<std::pair<QString, QString>> Pairs(const MetadataSample& sample);
};
