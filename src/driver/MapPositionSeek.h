#pragma once

#include "driver/MetadataTypes.h"

#include <QtGlobal>
#include <optional>

// Where a double click on the map takes playback: the first position sample of the camera's
// track within 50 m of the clicked place, and the time it was taken. No window, no driver call:
// the viewer hands in the track the facade read.
class MapPositionSeek {
public:
    static constexpr double kEarthRadiusMetres = 6371000.0;
    static constexpr double kNearMetres = 50.0;

    // Great-circle distance in metres between two places in degrees (haversine).
    static double DistanceMetres(double latitude1, double longitude1, double latitude2, double longitude2);

    // The first sample closer than 50 m to the place, in track order; none without one.
    static std::optional<LatLongSample> FirstNear(const LatLongData& track, double latitude, double longitude);

    // The seek time of a sample: its recorder time broken into calendar fields from 1970 without
    // any zone shift, those fields read as local time (daylight saving by the system), as the
    // recorder's clock was local. A year before 1900 gives 0.
    static qint64 SeekTime(const LatLongSample& sample);

    // Both steps: the time to seek all cameras to, or none when no sample is near.
    static std::optional<qint64> TimeAt(const LatLongData& track, double latitude, double longitude);
};
