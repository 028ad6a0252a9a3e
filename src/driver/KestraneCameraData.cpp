#include "driver/KestraneCameraData.h"

KestraneCameraData::KestraneCameraData(KestraneDevice* owner) : owner(owner) {}

KestraneCameraData::~KestraneCameraData() = default;

KestraneLocalFileData& KestraneCameraData::FileData()
{
    if (!fileData_) {
        fileData_ = std::make_unique<KestraneLocalFileData>();
    }
    return *fileData_;
}
