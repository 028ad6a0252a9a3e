#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <vector>

class QObject;

// The recording device named by a tag. The accessors are virtual in this order: device type,
// property A, property B.
class Device {
public:
    static constexpr int kReservedSize = 72;
    static constexpr int kAlarmBlockSize = 228;
    static constexpr int kCapabilityCount = 11;
    static constexpr int kDefaultMaxSpeedMultiplier = 8;

    Device();
    virtual ~Device();

    virtual int GetDeviceType() const;
    virtual void SetDeviceType(int type);
    virtual int GetPropertyA() const;
    virtual void SetPropertyA(int value);
    virtual int GetPropertyB() const;
    virtual void SetPropertyB(int value);

    const QString& GetName() const { return name_; }
    void SetName(const QString& name) { name_ = name; }

    // 14 alarm name records of 16 bytes and the channel mask, copied in after an open.
    std::array<uint8_t, kAlarmBlockSize>& AlarmBlock() { return alarmBlock_; }
    const std::array<uint8_t, kAlarmBlockSize>& AlarmBlock() const { return alarmBlock_; }

    int GetMaxSpeedMultiplier() const { return maxSpeedMultiplier_; }
    void SetMaxSpeedMultiplier(int value) { maxSpeedMultiplier_ = value; }

    // Capability byte n counts from 1, as the playback code refers to them.
    uint8_t GetCapability(int n) const { return capabilities_.at(n - 1); }
    void SetCapability(int n, uint8_t value) { capabilities_.at(n - 1) = value; }

    qint64 GetStartTime() const { return startTime_; }
    void SetStartTime(qint64 t) { startTime_ = t; }
    qint64 GetEndTime() const { return endTime_; }
    void SetEndTime(qint64 t) { endTime_ = t; }

    // The window the device's driver posts its notices to (the viewer's; null: none). Not owned.
    QObject* GetNotifyWindow() const { return notifyWindow_; }
    void SetNotifyWindow(QObject* window) { notifyWindow_ = window; }

private:
    int deviceType_ = 0;
    QString name_;
    QString text1_;
    QString text2_;
    std::array<uint8_t, kReservedSize> reserved_{};
    std::array<uint8_t, kAlarmBlockSize> alarmBlock_{};
    int propertyB_ = 0;
    int propertyA_ = 0;
    int maxSpeedMultiplier_ = kDefaultMaxSpeedMultiplier;
    std::array<uint8_t, kCapabilityCount> capabilities_{};
    int32_t unusedValue_ = 0;
    std::vector<int> unusedList_;
    qint64 startTime_ = 0;
    qint64 endTime_ = 0;
    int32_t unused1_ = 0;
    int32_t unused2_ = 0;
    QString text3_;
    QString text4_;
    QObject* notifyWindow_ = nullptr;
};
