#pragma once

#include "evidence/MetadataSample.h"

#include <QtGlobal>

// A vehicle's metadata track for sample evidence: one sample a second from start to end (seconds
// since 1970 UTC, the recording's span) round a loop of about a kilometre centred on (latitude,
// longitude): speed and pressures varying, a hard braking half way, the digital inputs switching,
// some input names empty, every 17th sample of kind 1, and display settings in all four groups.
class SampleMetadata {
public:
    static MetadataTrack Make(qint64 startUtc, qint64 endUtc, double latitude, double longitude);
};
