// A QApplication (offscreen), settings and cache folders of their own, and a tile server that
// refuses at once, so that the map view's availability check answers without a network.
#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlTileCache.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
    QApplication app(argc, argv);
    {
        QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Plomera"));
        settings.setValue(QLatin1String(COSMCtrlTileCache::kAvailabilitySetting), QStringLiteral("http://127.0.0.1:1/"));
        settings.setValue(QLatin1String(COSMCtrlMapnikTileProvider::kServerSetting),
                          QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png"));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
