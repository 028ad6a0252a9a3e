#include "driver/KestraneCameraData.h"

#include <algorithm>
#include <cstring>

KestraneCameraData::KestraneCameraData(KestraneDevice* owner) : owner(owner) {}

KestraneCameraData::~KestraneCameraData() = default;

KestraneLocalFileData& KestraneCameraData::FileData()
{
    if (!fileData_) {
        fileData_ = std::make_unique<KestraneLocalFileData>();
    }
    return *fileData_;
}

VDL_WatermarkStatusBlock KestraneCameraData::EmptyWatermark()
{
    VDL_WatermarkStatusBlock b;
    std::memset(&b, 0, sizeof b);
    b.firstFailureMillis = -1;
    return b;
}

VDL_WatermarkStatusBlock KestraneCameraData::MergeWatermark(const VDL_WatermarkStatusBlock& before,
                                                            const VDL_WatermarkStatusBlock& after)
{
    VDL_WatermarkStatusBlock m = before;
    m.state = std::max(before.state, after.state);
    m.recordsSeen = before.recordsSeen + after.recordsSeen;
    m.recordsFailed = before.recordsFailed + after.recordsFailed;
    if (before.firstFailureMillis < 0) {
        m.firstFailureMillis = after.firstFailureMillis;
        m.firstFailureTime = after.firstFailureTime;
    }
    if (after.longestGapMillis > before.longestGapMillis) {
        m.longestGapMillis = after.longestGapMillis;
        m.gapFromMillis = after.gapFromMillis;
        m.gapToMillis = after.gapToMillis;
        m.gapFromTime = after.gapFromTime;
        m.gapToTime = after.gapToTime;
    }
    if (!before.haveFirstRecord && after.haveFirstRecord) {
        m.haveFirstRecord = 1;
        m.serialNumber = after.serialNumber;
        std::memcpy(m.mac, after.mac, sizeof m.mac);
        m.channel = after.channel;
    }
    return m;
}
