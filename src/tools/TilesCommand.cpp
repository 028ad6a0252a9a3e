#include "tools/TilesCommand.h"

#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/COSMCtrlTileLayout.h"
#include "map/CppSQLite3Exception.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const char* kUsage =
    "usage: plomera-evidence tiles fetch --cache FILE [--server URL] Z X Y [Z X Y ...]\n"
    "       plomera-evidence tiles list --cache FILE";

constexpr int kMaxZoom = 18;

struct TileAddress {
    int zoom;
    int x;
    int y;
};

QString Address(const TileAddress& t)
{
    return QStringLiteral("%1/%2/%3").arg(t.zoom).arg(t.x).arg(t.y);
}

QString Md5(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

int Usage(QTextStream& err)
{
    err << kUsage << Qt::endl;
    return 2;
}

bool ParseInt(const QString& text, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

int Fetch(const QString& cachePath, const QString& server, const std::vector<TileAddress>& tiles, QTextStream& out,
          QTextStream& err)
{
    std::unique_ptr<COSMCtrlMapnikTileProvider> provider;
    if (!server.isEmpty()) {
        provider = std::make_unique<COSMCtrlMapnikTileProvider>(server);
    }
    COSMCtrlTileCache cache;
    cache.SetTileProvider(provider.get());
    cache.OpenCache(cachePath);
    cache.SetInsertErrorHandler([&err](const QString& text, const QString& detail) {
        err << text << ": " << detail << Qt::endl;
    });

    std::vector<bool> wasCached;
    for (const TileAddress& t : tiles) {
        wasCached.push_back(cache.FindCachedTile(t.zoom, t.x, t.y).has_value());
    }
    // The worker drops items of any zoom but the current one, as it does for the map, so the
    // tiles go one zoom level at a time.
    std::map<int, std::vector<TileAddress>> byZoom;
    for (const TileAddress& t : tiles) {
        byZoom[t.zoom].push_back(t);
    }
    for (const auto& [zoom, group] : byZoom) {
        cache.SetCurrentZoom(zoom);
        for (const TileAddress& t : group) {
            cache.QueueDownload(t.zoom, t.x, t.y);
        }
        while (!cache.WaitForDownloads(1000)) {
        }
    }
    cache.StopWorker();

    int missing = 0;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const TileAddress& t = tiles[i];
        const std::optional<QByteArray> bytes = cache.FindCachedTile(t.zoom, t.x, t.y);
        if (!bytes) {
            ++missing;
            out << Address(t) << "\tnot stored" << Qt::endl;
            continue;
        }
        out << Address(t) << '\t' << (wasCached[i] ? "cached" : "stored") << '\t' << bytes->size() << " bytes\t"
            << Md5(*bytes) << Qt::endl;
    }
    return missing == 0 ? 0 : 1;
}

int List(const QString& cachePath, QTextStream& out, QTextStream& err)
{
    if (!QFileInfo(cachePath).isFile()) {
        err << "no tile cache file " << cachePath << Qt::endl;
        return 2;
    }
    for (const structCachedTile& t : COSMCtrlTileDatabase(cachePath).ListTiles()) {
        out << t.id << '\t' << t.zoom << '/' << t.x << '/' << t.y << '\t';
        if (t.hasData) {
            out << t.tile.size() << " bytes\t" << Md5(t.tile);
        } else {
            out << "no data\t-";
        }
        out << '\t' << t.cacheTime << Qt::endl;
    }
    return 0;
}

} // namespace

int TilesCommand::Run(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Run(args, out, err);
}

int TilesCommand::Run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty()) {
        return Usage(err);
    }
    const QString action = args.first();
    QString cachePath;
    QString server;
    QStringList numbers;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--cache") || a == QLatin1String("--server")) {
            if (i + 1 >= args.size()) {
                return Usage(err);
            }
            (a == QLatin1String("--cache") ? cachePath : server) = args[++i];
        } else {
            numbers << a;
        }
    }
    if (cachePath.isEmpty()) {
        return Usage(err);
    }
    try {
        if (action == QLatin1String("list") && numbers.isEmpty() && server.isEmpty()) {
            return List(cachePath, out, err);
        }
        if (action != QLatin1String("fetch") || numbers.isEmpty() || numbers.size() % 3 != 0) {
            return Usage(err);
        }
        if (!server.isEmpty() && !COSMCtrlMapnikTileProvider::IsUsableServer(server)) {
            err << "not a usable tile server: " << server << Qt::endl;
            return 2;
        }
        std::vector<TileAddress> tiles;
        for (qsizetype i = 0; i < numbers.size(); i += 3) {
            TileAddress t{};
            if (!ParseInt(numbers[i], t.zoom) || !ParseInt(numbers[i + 1], t.x) || !ParseInt(numbers[i + 2], t.y)
                || t.zoom < 0 || t.zoom > kMaxZoom) {
                err << "not a tile: " << numbers.mid(i, 3).join(QLatin1Char(' ')) << Qt::endl;
                return 2;
            }
            const int n = COSMCtrlTileLayout::TilesPerSide(t.zoom);
            if (t.x < 0 || t.x >= n || t.y < 0 || t.y >= n) {
                err << "not a tile: " << numbers.mid(i, 3).join(QLatin1Char(' ')) << Qt::endl;
                return 2;
            }
            tiles.push_back(t);
        }
        return Fetch(cachePath, server, tiles, out, err);
    } catch (const CppSQLite3Exception& e) {
        err << e.ErrorMessage() << Qt::endl;
        return 2;
    }
}
