#pragma once

#include "driver/KestraneLocalFileData.h"

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

private:
    std::unique_ptr<KestraneLocalFileData> fileData_;
};
