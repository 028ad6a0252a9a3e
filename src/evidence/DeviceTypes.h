#pragma once

#include <QString>

// The recorder and camera model names a tag may carry, and the device type each one stands for.
// Type 0 is an unknown model; 38 is the one type whose videos are sought by played time.
class DeviceTypes {
public:
    static constexpr int kUnknown = 0;
    static constexpr int kPlayedTimeSeek = 38;
    static constexpr int kHighestType = 40;

    // Case-insensitive, up to the first NUL; a name not in the table gives 0.
    static int FromModelName(const QString& modelName);
    // The name written back into a tag for the type; empty for types without one. It maps back
    // to the same type through FromModelName.
    static QString DisplayName(int type);
    static int ModelNameCount();
};
