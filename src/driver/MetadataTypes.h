#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <vector>

// What a driver that reads a metadata track hands to the metadata panes. The local-file driver
// reads none, so these stay empty with it.
struct MetadataConfigEntry {
    int32_t id = 0;
    QString name;
    bool display = false;
};
using MetadataConfigList = std::vector<MetadataConfigEntry>;

// One position sample: longitude and latitude in degrees, and its time value.
struct LatLongSample {
    double longitude = 0.0;
    double latitude = 0.0;
    qint64 time = 0;
};
using LatLongData = std::vector<LatLongSample>;
