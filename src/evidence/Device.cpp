#include "evidence/Device.h"

Device::Device() = default;
Device::~Device() = default;

int Device::GetDeviceType() const { return deviceType_; }
void Device::SetDeviceType(int type) { deviceType_ = type; }
int Device::GetPropertyA() const { return propertyA_; }
void Device::SetPropertyA(int value) { propertyA_ = value; }
int Device::GetPropertyB() const { return propertyB_; }
void Device::SetPropertyB(int value) { propertyB_ = value; }
