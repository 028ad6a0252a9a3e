#include "SampleMetadata.h"

#include <cmath>
#include <ctime>

namespace {

constexpr double kLoopSeconds = 120.0;
constexpr double kLoopRadiusMetres = 160.0; // about a kilometre round
constexpr double kMetresPerDegree = 111320.0;
constexpr double kGravity = 9.807;

// The recorder's clock: local calendar fields read as if they were UTC.
qint64 LocalWallClockSeconds(qint64 utc)
{
    const time_t t = static_cast<time_t>(utc);
    struct tm local = {};
    localtime_r(&t, &local);
    return static_cast<qint64>(timegm(&local));
}

} // namespace

MetadataTrack SampleMetadata::Make(qint64 startUtc, qint64 endUtc, double latitude, double longitude)
{
    static const char* const kNames[MetadataSample::kInputs] = {
        "Door",        "Ignition", "Reverse", "Left Turn", "Right Turn", "Brake Light", "",
        "Siren",       "",         "Panic",   "Seat Belt", "",           "Fuel Level",  ""};
    MetadataTrack track;
    for (int i = 0; i < 12; ++i) {
        if (kNames[i][0] != '\0')
            track.settings.push_back({501 + i, QString::fromLatin1(kNames[i]), 0xFF000000u | (0x204080u * (i + 1) & 0xFFFFFFu), i == 0});
    }
    track.settings.push_back({2, QStringLiteral("Speed"), 0xFFFFFF00, true});
    track.settings.push_back({3, QStringLiteral("Accelerator Pressure"), 0xFF00FFFF, false});
    track.settings.push_back({4, QStringLiteral("Brake Pressure"), 0xFFFF0000, true});
    track.settings.push_back({5, QStringLiteral("Fuel Level"), 0xFFFF8000, false});
    track.settings.push_back({8, QStringLiteral("Engine Speed"), 0xFF8080FF, false});
    track.settings.push_back({9, QStringLiteral("Coolant Temperature"), 0xFF80FF80, false});
    track.settings.push_back({513, QStringLiteral("Acceleration X"), 0xFFFF00FF, true});
    track.settings.push_back({514, QStringLiteral("Acceleration Y"), 0xFF00FF00, false});
    track.settings.push_back({515, QStringLiteral("Acceleration Z"), 0xFF0000FF, false});
    track.settings.push_back({516, QStringLiteral("G Force"), 0xFFFFFFFF, false});

    const qint64 seconds = std::max<qint64>(1, endUtc - startUtc);
    const qint64 braking = seconds / 2;
    const double metresPerDegreeEast = kMetresPerDegree * std::cos(latitude * M_PI / 180.0);
    for (qint64 t = 0; t <= seconds; ++t) {
        const double phase = 2.0 * M_PI * static_cast<double>(t) / kLoopSeconds;
        MetadataSample s;
        s.kind = t % 17 == 16 ? 1 : 2;
        s.timeMillis = LocalWallClockSeconds(startUtc + t) * 1000;
        s.latitude = latitude + kLoopRadiusMetres * std::sin(phase) / kMetresPerDegree;
        s.longitude = longitude + kLoopRadiusMetres * std::cos(phase) / metresPerDegreeEast;
        s.latitudeHemisphere = s.latitude >= 0.0 ? QStringLiteral("N") : QStringLiteral("S");
        s.longitudeHemisphere = s.longitude >= 0.0 ? QStringLiteral("E") : QStringLiteral("W");
        // Anticlockwise round the centre: the heading is the tangent, measured from north.
        const double heading = std::fmod(std::atan2(-std::sin(phase), std::cos(phase)) * 180.0 / M_PI + 360.0, 360.0);
        s.direction = static_cast<int32_t>(std::lround(heading / 22.5)) % 16;
        const bool brakingNow = t >= braking && t < braking + 2;
        s.speedMph = brakingNow ? 6.0 : 18.0 + 4.0 * std::sin(static_cast<double>(t) / 7.0);
        const double speed = s.speedMph * 0.44704;
        s.accelerationX = brakingNow ? -6.5 : 0.3 * std::sin(static_cast<double>(t) / 3.0);
        s.accelerationY = speed * speed / kLoopRadiusMetres;
        s.accelerationZ = kGravity;
        s.acceleratorPressure = brakingNow ? 0.0 : 30.0 + 15.0 * std::sin(static_cast<double>(t) / 5.0);
        s.brakePressure = brakingNow ? 85.0 : 0.0;
        for (int i = 0; i < MetadataSample::kInputs; ++i)
            s.inputNames[static_cast<size_t>(i)] = QString::fromLatin1(kNames[i]);
        s.inputMask = 0x2u /* ignition */ | (t % 20 < 3 ? 0x1u : 0u) | (t % 30 >= 10 && t % 30 < 14 ? 0x8u : 0u)
                      | (brakingNow ? 0x20u : 0u) | 0x1000u;
        track.samples.push_back(std::move(s));
    }
    return track;
}
