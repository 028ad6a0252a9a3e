#pragma once

#include "driver/KestraneLocalFileData.h"
#include "vdl/vdl.h"

#include <memory>

class KestraneDevice;
class Video;

// The local-file driver's data for one camera it has opened.
class KestraneCameraData {
public:
    explicit KestraneCameraData(KestraneDevice* owner);
    virtual ~KestraneCameraData();

    KestraneCameraData(const KestraneCameraData&) = delete;
    KestraneCameraData& operator=(const KestraneCameraData&) = delete;

    // Created on first use.
    KestraneLocalFileData& FileData();
    KestraneLocalFileData* FileDataIfAny() const { return fileData_.get(); }

    KestraneDevice* owner;
    Video* video = nullptr;
    bool reverse = false;
    float speed = 1.0f;
    float reverseSpeed = 1.0f;
    // The watermark status of the ports this camera had before its current one: kept through
    // VideoClose and reopening, so a failure seen once stays until the file is released.
    VDL_WatermarkStatusBlock watermarkKept = EmptyWatermark();

    static VDL_WatermarkStatusBlock EmptyWatermark();
    // One camera's status over two stretches of play: the worse state, the counts added, the
    // earlier failure and identity, the longer gap.
    static VDL_WatermarkStatusBlock MergeWatermark(const VDL_WatermarkStatusBlock& before,
                                                   const VDL_WatermarkStatusBlock& after);

private:
    std::unique_ptr<KestraneLocalFileData> fileData_;
};
