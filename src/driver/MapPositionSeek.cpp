#include "driver/MapPositionSeek.h"

#include "evidence/EvidenceTime.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Floor division, so that times before 1970 break into the day before, not the day after.
qint64 FloorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

} // namespace

double MapPositionSeek::DistanceMetres(double latitude1, double longitude1, double latitude2, double longitude2)
{
    const double phi1 = Radians(latitude1);
    const double phi2 = Radians(latitude2);
    const double dPhi = Radians(latitude2 - latitude1);
    const double dLambda = Radians(longitude2 - longitude1);
    const double s1 = std::sin(dPhi / 2.0);
    const double s2 = std::sin(dLambda / 2.0);
    double a = s1 * s1 + std::cos(phi1) * std::cos(phi2) * s2 * s2;
    // Rounding can carry a just past 1 for antipodal places; the root of a negative is no distance.
    a = std::clamp(a, 0.0, 1.0);
    return 2.0 * kEarthRadiusMetres * std::atan2(std::sqrt(a), std::sqrt(1.0 - a));
}

std::optional<LatLongSample> MapPositionSeek::FirstNear(const LatLongData& track, double latitude, double longitude)
{
    for (const LatLongSample& sample : track) {
        if (DistanceMetres(sample.latitude, sample.longitude, latitude, longitude) < kNearMetres) {
            return sample;
        }
    }
    return std::nullopt;
}

qint64 MapPositionSeek::SeekTime(const LatLongSample& sample)
{
    qint64 year = 0;
    const CalendarFields fields = EvidenceTime::WallClockFields(FloorDiv(sample.time, 1000), &year);
    return year < 1900 ? 0 : EvidenceTime::FromLocalFields(fields);
}

std::optional<qint64> MapPositionSeek::TimeAt(const LatLongData& track, double latitude, double longitude)
{
    if (const auto sample = FirstNear(track, latitude, longitude)) {
        return SeekTime(*sample);
    }
    return std::nullopt;
}
