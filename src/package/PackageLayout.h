#pragma once

#include <QtGlobal>

// The byte layout of a self-contained package: the player executable, the carried files' data,
// then a trailer at the very end. Every integer is little-endian; offsets "from the end" count
// back from the end of the executable file. Packages move between machines, so these numbers
// are fixed for good.
namespace PackageLayout {

// The last 38 bytes of every package, without a terminating NUL.
inline constexpr char kMarker[] = "{12756C78-2246-420E-870C-180649B22AA6}";
inline constexpr qint64 kMarkerSize = 38;
// The 32-bit kind value before the marker.
inline constexpr qint64 kKindSize = 4;
inline constexpr qint64 kTailSize = kKindSize + kMarkerSize;  // 42

inline constexpr quint32 kKindSingleFile = 1;
inline constexpr quint32 kKindManyFiles = 2;

// Protection byte of both kinds.
inline constexpr quint8 kPasswordRequired = 1;
inline constexpr quint8 kNoPassword = 2;

// File entry of a kind-2 package: name, data offset, data size.
inline constexpr qint64 kEntrySize = 276;
inline constexpr qint64 kEntryNameSize = 260;
inline constexpr qint64 kEntryOffsetAt = 260;
inline constexpr qint64 kEntrySizeAt = 268;

// Kind-2 block: count, reserved byte, protection, digest field.
inline constexpr qint64 kManyFilesBlockSize = 262;
inline constexpr qint64 kManyFilesBlockFromEnd = kManyFilesBlockSize + kTailSize;  // 304
inline constexpr qint64 kManyFilesCountAt = 0;
inline constexpr qint64 kManyFilesReservedAt = 4;
inline constexpr qint64 kManyFilesProtectionAt = 5;
inline constexpr qint64 kManyFilesDigestAt = 6;
// The raw MD5 digest is compared over at most this many bytes of the digest field.
inline constexpr qint64 kRawDigestSize = 16;

// Kind-1 block: data offset, data size, protection, digest text field.
inline constexpr qint64 kSingleFileBlockSize = 273;
inline constexpr qint64 kSingleFileBlockFromEnd = kSingleFileBlockSize + kTailSize;  // 315
inline constexpr qint64 kSingleFileOffsetAt = 0;
inline constexpr qint64 kSingleFileSizeAt = 8;
inline constexpr qint64 kSingleFileProtectionAt = 16;
inline constexpr qint64 kSingleFileDigestAt = 17;

// Both digest fields are this wide.
inline constexpr qint64 kDigestFieldSize = 256;

// The single file of a one-file package is extracted under this name.
inline constexpr char kSingleFileName[] = "AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp";

// Data is copied in blocks of this size, with a progress update between blocks.
inline constexpr qint64 kCopyBlockSize = 10485760;

}  // namespace PackageLayout
