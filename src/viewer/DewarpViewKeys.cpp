#include "viewer/DewarpViewKeys.h"

#include <iterator>

namespace {

constexpr DewarpViewKeys::Combined kCombined[] = {
    {"Panorama360+Ptz", "Panorama360+Ptz", 2, 13},
    {"Panorama360+3Ptz", "Panorama360+Ptz+Ptz+Ptz", 4, 14},
    {"Panorama360+6Ptz", "Panorama360+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz", 7, 15},
    {"Panorama360+8Ptz", "Panorama360+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz", 9, 16},
    {"Panorama2Ptz", "Dewarp+Ptz+Ptz", 2, 17},
    {"Panorama4Ptz", "Dewarp+Ptz+Ptz+Ptz+Ptz", 4, 18},
    {"Fishye3Ptz", "Fisheye+Ptz+Ptz+Ptz", 4, 4},
    {"Fishye8Ptz", "Fisheye+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz", 9, 6},
    {"Panorama+3Ptz", "Panorama View+Ptz+Ptz+Ptz", 4, 8},
    {"Panorama+8Ptz", "Panorama View+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz+Ptz", 9, 9},
    {"Panorama", "Panorama View", 1, 7},
    {"Panorama180", "Panorama180", 1, 10},
    {"Panorama360", "Panorama360", 1, 11},
    {"Sphere", "Sphere", 1, 19},
};

} // namespace

const DewarpViewKeys::Combined* DewarpViewKeys::Find(const QString& key)
{
    for (const Combined& c : kCombined) {
        if (key == QLatin1String(c.key)) {
            return &c;
        }
    }
    return nullptr;
}

QString DewarpViewKeys::ViewTitle(const QString& cameraTitle, const QString& viewName)
{
    return QStringLiteral("%1 - %2").arg(cameraTitle, viewName);
}
