#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <vector>

// What a driver that reads a metadata track hands to the metadata panes. The local-file driver
// reads none, so these stay empty with it.
// One input the strip can draw: id is its input type (501-512 digital, 2-7, 10, 11 analog, 8, 9
// J1939, 513-516 accelerometer), display its selected flag, colour 0xAARRGGBB.
struct MetadataConfigEntry {
    int32_t id = 0;
    QString name;
    bool display = false;
    uint32_t colour = 0xFF00FF00;
};
using MetadataConfigList = std::vector<MetadataConfigEntry>;

// One position sample: longitude and latitude in degrees, and its time value (the recorder's
// local clock in milliseconds since 1970, read as if it were UTC).
struct LatLongSample {
    double longitude = 0.0;
    double latitude = 0.0;
    qint64 time = 0;
};
using LatLongData = std::vector<LatLongSample>;
