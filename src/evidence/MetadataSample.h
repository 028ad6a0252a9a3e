#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// One sample of a vehicle's metadata track, as the metadata section holds it: where the vehicle
// was, how it moved, and the state of its fourteen inputs at one moment.
struct MetadataSample {
    static constexpr int kInputs = 14;
    static constexpr int kInputNameSize = 16;

    uint8_t kind = 2;          // 0 and 1: not vehicle samples (the viewer passes them over); 2: vehicle
    qint64 timeMillis = 0;     // the recorder's local clock since 1970, read as if it were UTC (no zone shift)
    double longitude = 0.0;    // decimal degrees, east positive
    double latitude = 0.0;     // decimal degrees, north positive
    QString longitudeHemisphere; // "E" or "W"
    QString latitudeHemisphere;  // "N" or "S"
    int32_t direction = 0;     // 16-point compass index 0 (N) to 15 (NNW); others unknown
    double speedMph = 0.0;
    double accelerationX = 0.0; // m/s²
    double accelerationY = 0.0;
    double accelerationZ = 0.0;
    std::array<QString, kInputs> inputNames; // empty: the input is not wired
    uint32_t inputMask = 0;    // bit i - 1: input i set
    double acceleratorPressure = 0.0; // %
    double brakePressure = 0.0;

    bool operator==(const MetadataSample&) const = default;
};

// One input the metadata strip can draw (the settings of the metadata display): its input type
// (501-512 digital, 2-7, 10, 11 analog, 8, 9 J1939, 513-516 accelerometer), name, colour
// (0xAARRGGBB) and whether it is drawn.
struct MetadataSetting {
    int32_t inputType = 0;
    QString name;
    uint32_t colour = 0xFF00FF00;
    bool selected = false;

    bool operator==(const MetadataSetting&) const = default;
};

// What a file's metadata section holds.
struct MetadataTrack {
    std::vector<MetadataSetting> settings;
    std::vector<MetadataSample> samples;
};
