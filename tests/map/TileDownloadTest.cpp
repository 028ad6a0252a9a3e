#include "MapTestFiles.h"
#include "TileTestServer.h"

#include "map/COSMCtrlInternetSession.h"
#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/COSMCtrlTileLayout.h"
#include "tools/TilesCommand.h"
#include "tools/ToolCommand.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

using Reply = TileTestServer::Reply;

class TileDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        provider = std::make_unique<COSMCtrlMapnikTileProvider>(server.Server());
        cache.SetTileProvider(provider.get());
        cache.OpenCache(files.Cache());
        cache.SetCurrentZoom(12.0);
    }

    std::optional<QByteArray> Fetch(int z, int x, int y)
    {
        cache.QueueDownload(z, x, y);
        EXPECT_TRUE(cache.WaitForDownloads(20000));
        return cache.FindCachedTile(z, x, y);
    }

    MapTestFiles files;
    TileTestServer server;
    std::unique_ptr<COSMCtrlMapnikTileProvider> provider;
    COSMCtrlTileCache cache{false};
};

// A port on loopback that nothing listens on.
quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST_F(TileDownloadTest, ServedTilesAreStoredExactlyAndFailuresStoreNothing)
{
    server.SetReply(QStringLiteral("/12/5/3.png"), Reply::NotFound);
    server.SetReply(QStringLiteral("/12/5/4.png"), Reply::ServerError);
    server.SetReply(QStringLiteral("/12/5/5.png"), Reply::Big);
    cache.StartWorker();

    EXPECT_EQ(Fetch(12, 5, 1), TileTestServer::Tile(12, 5, 1));
    EXPECT_EQ(Fetch(12, 5, 2), TileTestServer::Tile(12, 5, 2));
    // Error pages are not tiles: caching one would keep it for good.
    EXPECT_EQ(Fetch(12, 5, 3), std::nullopt);
    EXPECT_EQ(Fetch(12, 5, 4), std::nullopt);
    // An oversized answer is cut at the end of the 640 KB buffer.
    const std::optional<QByteArray> big = Fetch(12, 5, 5);
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->size(), COSMCtrlInternetSession::kMaxTileBytes);
    EXPECT_EQ(*big, TileTestServer::BigBody().left(655359));

    // A tile already cached is not fetched again.
    EXPECT_EQ(Fetch(12, 5, 1), TileTestServer::Tile(12, 5, 1));
    EXPECT_EQ(server.Requests(),
              QStringList({"/12/5/1.png", "/12/5/2.png", "/12/5/3.png", "/12/5/4.png", "/12/5/5.png"}));
    EXPECT_EQ(COSMCtrlTileDatabase(files.Cache()).ListTiles().size(), 3u);
}

TEST_F(TileDownloadTest, AHangingServerTimesOutAndNeverHoldsUpShutdown)
{
    server.SetReply(QStringLiteral("/12/1/1.png"), Reply::Hang);
    cache.SetTransferTimeout(300);
    cache.StartWorker();
    EXPECT_EQ(Fetch(12, 1, 1), std::nullopt);
    EXPECT_EQ(Fetch(12, 1, 2), TileTestServer::Tile(12, 1, 2));

    // With a long timeout, stopping cancels the transfer in progress.
    COSMCtrlTileCache stuck(false);
    stuck.SetTileProvider(provider.get());
    stuck.OpenCache(files.Cache());
    stuck.SetCurrentZoom(12);
    stuck.SetTransferTimeout(120000);
    stuck.StartWorker();
    stuck.QueueDownload(12, 1, 1);
    QElapsedTimer waited;
    waited.start();
    while (!stuck.IsDownloading() && waited.elapsed() < 10000) {
        QThread::msleep(5);
    }
    ASSERT_TRUE(stuck.IsDownloading());
    waited.restart();
    stuck.StopWorker();
    EXPECT_LT(waited.elapsed(), 60000);
    EXPECT_EQ(stuck.FindCachedTile(12, 1, 1), std::nullopt);
}

TEST_F(TileDownloadTest, QueuedItemsOfAnotherZoomAreDroppedAndClearEmptiesTheQueue)
{
    for (int x = 0; x < 4; ++x) {
        cache.QueueDownload(12, x, 9);
    }
    cache.SetCurrentZoom(13.6);
    cache.StartWorker();
    ASSERT_TRUE(cache.WaitForDownloads(20000));
    EXPECT_TRUE(server.Requests().isEmpty());

    cache.StopWorker();
    cache.QueueDownload(13, 1, 1);
    cache.QueueDownload(13, 1, 2);
    EXPECT_EQ(cache.QueuedDownloads(), 2u);
    cache.ClearDownloads();
    EXPECT_EQ(cache.QueuedDownloads(), 0u);
    cache.StartWorker();
    EXPECT_EQ(Fetch(13, 7, 7), TileTestServer::Tile(13, 7, 7));
    EXPECT_EQ(server.Requests(), QStringList({"/13/7/7.png"}));
}

TEST_F(TileDownloadTest, MissingTilesAreQueuedOnlyOnlineAndAtTheCurrentZoom)
{
    ASSERT_TRUE(cache.StoreTile(12, 0, 0, QByteArray("cached")));
    const struct {
        bool online;
        double currentZoom;
        int zoom, x;
        bool queued;
    } rows[] = {
        {false, 12.0, 12, 1, false}, {true, 12.7, 12, 1, true}, {true, 13.0, 12, 1, false},
        {true, 12.0, 12, 0, false},  // cached: returned, not queued
    };
    for (const auto& r : rows) {
        cache.ClearDownloads();
        cache.SetInternetAvailable(r.online);
        cache.SetCurrentZoom(r.currentZoom);
        const auto tile = cache.LoadTile(r.zoom, r.x, 0);
        EXPECT_EQ(tile.has_value(), r.x == 0);
        EXPECT_EQ(cache.QueuedDownloads(), r.queued ? 1u : 0u) << r.online << " " << r.currentZoom;
    }
    cache.SetInternetAvailable(false);
    EXPECT_EQ(cache.MissingTileText(), "Internet Not Available");
    cache.SetInternetAvailable(true);
    EXPECT_EQ(cache.MissingTileText(), "Tile Not Available");

    // Tile requests queue the tile nearest the centre, and nothing while offline.
    cache.ClearDownloads();
    cache.SetCurrentZoom(2.0);
    const auto items = COSMCtrlTileLayout::Compute(2.5, 1.5, 2.0, QRectF(0, 0, 600, 400), 2, false);
    cache.RequestTiles(items);
    cache.SetInternetAvailable(false);
    cache.RequestTiles(items);
    EXPECT_EQ(cache.QueuedDownloads(), 1u);
    cache.StartWorker();
    ASSERT_TRUE(cache.WaitForDownloads(20000));
    EXPECT_EQ(server.Requests(), QStringList({"/2/2/1.png"}));
}

TEST_F(TileDownloadTest, AvailabilityCheckAndTileHostFollowTheSettings)
{
    {
        ScopedSetting check(COSMCtrlTileCache::kAvailabilitySetting, QStringLiteral("http://") + server.Server() + "/");
        EXPECT_TRUE(cache.CheckInternetAvailable());
        EXPECT_EQ(server.Requests(), QStringList({"/"}));
    }
    {
        ScopedSetting check(COSMCtrlTileCache::kAvailabilitySetting,
                            QStringLiteral("http://127.0.0.1:%1/").arg(ClosedPort()));
        EXPECT_FALSE(cache.CheckInternetAvailable());
        EXPECT_FALSE(cache.IsInternetAvailable());
    }
    EXPECT_EQ(COSMCtrlMapnikTileProvider().GetDownloadURL(1, 0, 1), "http://tile.openstreetmap.org/1/0/1.png");
    EXPECT_EQ(COSMCtrlTileCache::AvailabilityCheckUrl(), "http://www.example.com/");
    {
        // A tile server of the investigator's own network is the tile host and answers the check.
        ScopedSetting tiles(COSMCtrlMapnikTileProvider::kServerSetting, QStringLiteral("http://tiles.lan:8080/osm"));
        const COSMCtrlMapnikTileProvider own;
        EXPECT_EQ(own.GetDownloadHost(), "tiles.lan");
        EXPECT_EQ(own.GetDownloadPort(), 8080);
        EXPECT_EQ(own.GetDownloadObject(3, 4, 5), "osm/3/4/5.png");
        EXPECT_EQ(own.GetDownloadURL(3, 4, 5), "http://tiles.lan:8080/osm/3/4/5.png");
        EXPECT_EQ(COSMCtrlTileCache::AvailabilityCheckUrl(), "http://tiles.lan:8080/");
    }
    EXPECT_EQ(COSMCtrlMapnikTileProvider(QStringLiteral("ftp://elsewhere")).GetDownloadHost(), "tile.openstreetmap.org");
}

TEST_F(TileDownloadTest, TilesCommandFetchesThroughTheWorkerAndListsTheCache)
{
    server.SetReply(QStringLiteral("/3/1/1.png"), Reply::NotFound);
    const QString cacheFile = files.dir.filePath(QStringLiteral("cli.gmdb"));
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    const QStringList fetch = {"fetch", "--cache", cacheFile, "--server", "http://" + server.Server(),
                               "4", "3", "2", "3", "1", "0", "3", "1", "1"};
    EXPECT_EQ(TilesCommand::Command().Run(fetch, out, err), 1);
    const QStringList lines = outText.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << outText.toStdString();
    const QByteArray tile = TileTestServer::Tile(4, 3, 2);
    EXPECT_EQ(lines[0], QStringLiteral("4/3/2\tstored\t%1 bytes\t%2")
                            .arg(tile.size())
                            .arg(QString::fromLatin1(QCryptographicHash::hash(tile, QCryptographicHash::Md5).toHex())));
    EXPECT_TRUE(lines[1].startsWith("3/1/0\tstored\t"));
    EXPECT_EQ(lines[2], "3/1/1\tnot stored");
    EXPECT_EQ(COSMCtrlTileDatabase(cacheFile).ReadTile(4, 3, 2), tile);

    outText.clear();
    EXPECT_EQ(TilesCommand::Command().Run({"list", "--cache", cacheFile}, out, err), 0);
    const QStringList listed = outText.trimmed().split('\n');
    ASSERT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed[0].startsWith("1\t3/1/0\t")); // zoom 3 goes first
    EXPECT_TRUE(listed[1].startsWith("2\t4/3/2\t"));

    EXPECT_EQ(TilesCommand::Command().Run({"fetch", "--cache", cacheFile, "3", "8", "0"}, out, err), 64);
    EXPECT_EQ(TilesCommand::Command().Run({"list", "--cache", files.dir.filePath("none.gmdb")}, out, err), 2);
    EXPECT_FALSE(QFile::exists(files.dir.filePath("none.gmdb")));
}

} // namespace
