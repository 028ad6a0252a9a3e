#pragma once

#include <QString>

// One queued tile download: which tile, where to fetch it, and which cache file receives it.
struct structDownloadItem {
    int zoom = 0;
    int x = 0;
    int y = 0;
    QString url;
    QString cachePath;
};
