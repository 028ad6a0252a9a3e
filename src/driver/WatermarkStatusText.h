#pragma once

#include "vdl/vdl.h"

#include <QString>

// The words for a camera's watermark status, shared by the file information row, the tile's
// tooltip and the watermark command, so all three say the same.
class WatermarkStatusText {
public:
    // "Verified (%d records)", "Broken: %d of %d records failed, first at %s",
    // "Missing: no record between %s and %s" or "Not checked".
    static QString Row(const VDL_WatermarkStatusBlock& status);
    // A packed time as the watermark window shows dates: day first.
    static QString Date(uint32_t packed);
    // A moment of the stream: its packed time, or its played time when the wall clock is unknown.
    static QString Moment(uint32_t packed, int64_t playedMillis);
    // Why a record failed, in a few words ("seal does not match").
    static QString Fault(uint8_t fault);
};
