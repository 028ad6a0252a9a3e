#pragma once

#include "evidence/MetadataSample.h"

#include <QByteArray>
#include <QString>

#include <optional>

class FileTag;

// The metadata section: the bytes of a metadata slot (0 to 99) of the tag's section table that
// carry a vehicle's track. Little-endian throughout:
//   header (32 bytes): "PLMD", version (16-bit, 1), header size (16-bit), setting size (32-bit),
//                      setting count, sample size, sample count (32-bit each), 8 bytes zero;
//   settings: input type (32-bit), colour (32-bit ARGB), selected (byte), 3 bytes zero, name (36
//             bytes ASCII, NUL-padded);
//   samples: kind (byte), 3 bytes zero, direction (32-bit), time (64-bit ms), longitude, latitude,
//            speed, acceleration x, y, z, accelerator and brake pressure (64-bit IEEE floats),
//            input mask (32-bit), longitude and latitude hemisphere (2 bytes ASCII each), 14 input
//            names of 16 bytes (ASCII, NUL-padded, read within their 16 bytes), 8 bytes zero.
// Sizes from the header let a later version grow its records; a reader takes the fields it knows.
// Damage (a wrong mark, sizes below the known fields, counts that do not fit the section) is an
// FalException naming what is wrong; nothing is guessed.
class MetadataSection {
public:
    static constexpr int32_t kSectionId = 1;
    static constexpr uint16_t kVersion = 1;
    static constexpr int kHeaderSize = 32;
    static constexpr int kSettingSize = 48;
    static constexpr int kSampleSize = 320;
    static constexpr int kSettingNameSize = 36;
    // Far above a day of samples at 10 a second; refuses counts from damaged headers.
    static constexpr qint64 kMaxSection = 256 << 20;

    static QByteArray Encode(const MetadataTrack& track);
    static MetadataTrack Decode(const QByteArray& bytes);

    // The metadata slot of a loaded tag, or -1 (the first of slots 0-99 whose id is kSectionId).
    static int SlotOf(const FileTag& tag);
    // The file's track, read only; nullopt when its tag has no metadata slot. Throws FalException
    // when the section is damaged or cannot be read.
    static std::optional<MetadataTrack> Read(const QString& path, const FileTag& tag);
};
