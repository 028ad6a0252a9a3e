#include "driver/KestraneMetadataDevice.h"

#include "driver/MapPositionSeek.h"
#include "driver/MetadataSampleEvent.h"
#include "driver/MetadataStripPainter.h"
#include "evidence/Device.h"

#include <QCoreApplication>

KestraneMetadataDevice::KestraneMetadataDevice(Device* device, const VdlAdapter* vdl, MetadataTrack track)
    : KestraneDevice(device, vdl), track_(std::move(track)), feed_(track_.samples, times_)
{
    times_.reserve(track_.samples.size());
    for (const MetadataSample& s : track_.samples)
        times_.push_back(MapPositionSeek::SeekTime({s.longitude, s.latitude, s.timeMillis}));
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

void KestraneMetadataDevice::MetadataPlay(Video*, const MetadataConfigList& entries, qint64, qint64)
{
    selection_ = entries;
}

void KestraneMetadataDevice::RenderMetadataFrame(Video*, QImage* strip, qint64 windowStart, qint64 windowEnd,
                                                 qint64 position, int32_t mode, uint32_t colour)
{
    if (strip != nullptr)
        MetadataStripPainter(track_.samples, times_).PaintStrip(*strip, selection_, windowStart, windowEnd, position, mode, colour);
    QObject* window = GetDevice() != nullptr ? GetDevice()->GetNotifyWindow() : nullptr;
    for (const MetadataSample* s : feed_.Advance(position)) {
        if (window != nullptr) QCoreApplication::postEvent(window, new MetadataSampleEvent(*s));
    }
}

bool KestraneMetadataDevice::RenderMetadataTooltip(Video*, QImage* tooltip, int32_t, int32_t, qint64 time)
{
    return tooltip != nullptr && MetadataStripPainter(track_.samples, times_).PaintTooltip(*tooltip, selection_, time);
}

void KestraneMetadataDevice::DisposeMetadataRenderer(Video*)
{
    selection_.clear();
    feed_.Reset();
}
