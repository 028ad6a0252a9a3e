#pragma once

#include <QString>
#include <QtGlobal>

// What a file must be before the viewer opens it, and when two spellings name one file: plain
// rules the open, play-selected and release requests share.
class ViewerOpenRules {
public:
    // 2 MiB: a smaller file cannot hold a playable recording.
    static constexpr qint64 kFileSizeFloor = 2097152;

    // False for a missing file and for one below the floor (whole mebibytes, as the size is
    // shifted right by 20 bits).
    static bool PassesSizeFloor(const QString& path);
    // The file's canonical path (links resolved); for a missing file its cleaned absolute path.
    static QString CanonicalPath(const QString& path);
    static bool SameFile(const QString& a, const QString& b);
};
