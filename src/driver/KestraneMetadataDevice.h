#pragma once

#include "driver/KestraneDevice.h"
#include "evidence/MetadataSample.h"

// The local-file driver of a file that carries a vehicle's metadata section, chosen by the facade
// only under the developer option PLOMERA_DEV_METADATA: playback as KestraneDevice, and the
// metadata operations answered from the track read at open (the settings of the strip, every
// position). Without the option every file keeps KestraneDevice's defaults. On the user
// interface's thread, like every driver operation; the track is read once and only read after.
class KestraneMetadataDevice final : public KestraneDevice {
public:
    KestraneMetadataDevice(Device* device, const VdlAdapter* vdl, MetadataTrack track);

    std::unique_ptr<MetadataConfigList> GetMetadataConfig(Video* video) override; // 35
    std::unique_ptr<LatLongData> GetLatLongData() override;                         // 41

    const MetadataTrack& Track() const { return track_; }

private:
    MetadataTrack track_;
};
