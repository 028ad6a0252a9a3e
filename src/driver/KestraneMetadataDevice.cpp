#include "driver/KestraneMetadataDevice.h"

KestraneMetadataDevice::KestraneMetadataDevice(Device* device, const VdlAdapter* vdl, MetadataTrack track)
    : KestraneDevice(device, vdl), track_(std::move(track))
{
}

std::unique_ptr<MetadataConfigList> KestraneMetadataDevice::GetMetadataConfig(Video*)
{
    auto list = std::make_unique<MetadataConfigList>();
    list->reserve(track_.settings.size());
    for (const MetadataSetting& s : track_.settings)
        list->push_back({s.inputType, s.name, s.selected, s.colour});
    return list;
}

std::unique_ptr<LatLongData> KestraneMetadataDevice::GetLatLongData()
{
    // Vehicle samples only: kinds 0 and 1 carry no position of the vehicle.
    auto data = std::make_unique<LatLongData>();
    for (const MetadataSample& s : track_.samples) {
        if (s.kind == 2)
            data->push_back({s.longitude, s.latitude, s.timeMillis});
    }
    return data;
}
