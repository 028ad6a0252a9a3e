#pragma once

#include <QString>

// A source of 256 x 256 PNG map tiles addressed by zoom level, column and row.
class IOSMCtrlTileProvider {
public:
    virtual ~IOSMCtrlTileProvider() = default;

    virtual QString GetDownloadURL(int zoom, int x, int y) const = 0;
    virtual QString GetDownloadHost() const = 0;
    virtual QString GetDownloadObject(int zoom, int x, int y) const = 0;
    virtual int GetDownloadPort() const = 0;
};
