#pragma once

#include "driver/KestraneDevice.h"
#include "driver/MetadataSampleFeed.h"
#include "evidence/MetadataSample.h"

#include <vector>

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
    // The strip: the selection and window kept, the strip and tooltip painted from the track;
    // each frame's position posts the samples play passed to the device's notify window.
    void MetadataPlay(Video* video, const MetadataConfigList& entries, qint64 windowStart,
                      qint64 windowEnd) override;                                      // 36
    void RenderMetadataFrame(Video* video, QImage* strip, qint64 windowStart, qint64 windowEnd,
                             qint64 position, int32_t mode, uint32_t colour) override;  // 37
    bool RenderMetadataTooltip(Video* video, QImage* tooltip, int32_t x, int32_t y,
                               qint64 time) override;                                   // 38
    void DisposeMetadataRenderer(Video* video) override;                               // 39

    const MetadataTrack& Track() const { return track_; }

private:
    MetadataTrack track_;
    // Each sample's time in the viewer's seconds, parallel to track_.samples.
    std::vector<qint64> times_;
    MetadataSampleFeed feed_;
    MetadataConfigList selection_;
};
