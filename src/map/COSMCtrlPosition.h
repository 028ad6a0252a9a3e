#pragma once

#include <QtGlobal>

// A geographic position: longitude and latitude in degrees, longitude first, followed by what a
// GPS sample carries beside them. The map only reads the first two and hands the rest back as it
// was given.
class COSMCtrlPosition {
public:
    COSMCtrlPosition() = default;
    COSMCtrlPosition(double longitudeDegrees, double latitudeDegrees)
        : longitude(longitudeDegrees)
        , latitude(latitudeDegrees)
    {
    }

    double longitude = 0.0;
    double latitude = 0.0;
    double altitude = 0.0;
    double bearing = 0.0;
    qint32 fixQuality = 0;
};
