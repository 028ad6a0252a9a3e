#pragma once

#include "map/IOSMCtrlTileProvider.h"

#include <QString>

// The built-in tile source: the public standard-style tile server, or the server named by the
// "MapTileServer" setting so that an investigator can use a tile server of their own network.
class COSMCtrlMapnikTileProvider : public IOSMCtrlTileProvider {
public:
    static constexpr const char* kDefaultHost = "tile.openstreetmap.org";
    static constexpr int kDefaultPort = 80;
    static constexpr const char* kServerSetting = "MapTileServer";

    // The server from the setting when it is set, else the public default.
    COSMCtrlMapnikTileProvider();
    // "host", "host:port" or "http://host[:port][/prefix/]"; an unusable text keeps the default.
    explicit COSMCtrlMapnikTileProvider(const QString& server);

    QString GetDownloadURL(int zoom, int x, int y) const override;
    QString GetDownloadHost() const override { return host_; }
    QString GetDownloadObject(int zoom, int x, int y) const override;
    int GetDownloadPort() const override { return port_; }

    // Whether the text names a server this provider can use.
    static bool IsUsableServer(const QString& server);
    // The setting's value, empty when unset.
    static QString ServerSetting();

private:
    void SetServer(const QString& server);

    QString host_;
    int port_;
    QString prefix_;  // path below the server root, ending in "/", or empty
};
