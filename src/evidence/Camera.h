#pragma once

#include "evidence/CameraCapabilities.h"

#include <QString>
#include <cstdint>

class Device;

// One camera of a device; refers to its device without owning it.
class Camera {
public:
    explicit Camera(Device* device = nullptr, int channel = -1);
    virtual ~Camera();

    Device* GetDevice() const { return device_; }
    void SetDevice(Device* device) { device_ = device; }
    int GetChannel() const { return channel_; }
    void SetChannel(int channel) { channel_ = channel; }
    bool IsShownInTile() const { return shownInTile_ != 0; }
    void SetShownInTile(bool shown) { shownInTile_ = shown ? 1 : 0; }
    const QString& GetName() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    CameraCapabilities& Capabilities() { return capabilities_; }
    const CameraCapabilities& Capabilities() const { return capabilities_; }

private:
    Device* device_;
    int channel_;
    uint8_t shownInTile_ = 0;
    QString name_;
    CameraCapabilities capabilities_;
};
