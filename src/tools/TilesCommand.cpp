#include "tools/TilesCommand.h"

#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/COSMCtrlTileLayout.h"
#include "map/CppSQLite3Exception.h"
#include "tools/CommandOutput.h"
#include "tools/LoopbackTileServer.h"
#include "tools/ToolCommand.h"

#include <QGuiApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <map>
#include <vector>

namespace {

const QString kCache = QStringLiteral("--cache");
const QString kServer = QStringLiteral("--server");
const QString kJson = QStringLiteral("--json");
const QString kPort = QStringLiteral("--port");

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

int Fetch(const QString& cachePath, const QString& server, const std::vector<TileAddress>& tiles, bool json,
          CommandOutput& io)
{
    std::unique_ptr<COSMCtrlMapnikTileProvider> provider;
    if (!server.isEmpty()) {
        provider = std::make_unique<COSMCtrlMapnikTileProvider>(server);
    }
    COSMCtrlTileCache cache;
    cache.SetTileProvider(provider.get());
    cache.OpenCache(cachePath);
    cache.SetInsertErrorHandler([&io](const QString& text, const QString& detail) {
        io.Message(text + QStringLiteral(": ") + detail);
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
    QJsonArray list;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const TileAddress& t = tiles[i];
        const std::optional<QByteArray> bytes = cache.FindCachedTile(t.zoom, t.x, t.y);
        const QString status = !bytes ? QStringLiteral("not stored") : wasCached[i] ? QStringLiteral("cached") : QStringLiteral("stored");
        missing += bytes ? 0 : 1;
        if (json) {
            QJsonObject o{{QStringLiteral("zoom"), t.zoom}, {QStringLiteral("x"), t.x}, {QStringLiteral("y"), t.y},
                          {QStringLiteral("status"), status}};
            if (bytes) {
                o[QStringLiteral("size")] = static_cast<qint64>(bytes->size());
                o[QStringLiteral("md5")] = Md5(*bytes);
            }
            list.append(o);
        } else if (!bytes) {
            io.Line(Address(t) + QStringLiteral("\tnot stored"));
        } else {
            io.Line(QStringLiteral("%1\t%2\t%3 bytes\t%4").arg(Address(t), status).arg(bytes->size()).arg(Md5(*bytes)));
        }
    }
    if (json) {
        io.Json(QJsonObject{{QStringLiteral("cache"), cachePath}, {QStringLiteral("tiles"), list}});
    }
    return missing == 0 ? 0 : 1;
}

int List(const QString& cachePath, bool json, CommandOutput& io)
{
    if (!QFileInfo(cachePath).isFile()) {
        io.Message(QStringLiteral("no tile cache file %1").arg(cachePath));
        return 2;
    }
    QJsonArray list;
    for (const structCachedTile& t : COSMCtrlTileDatabase(cachePath).ListTiles()) {
        if (json) {
            QJsonObject o{{QStringLiteral("id"), t.id}, {QStringLiteral("zoom"), t.zoom}, {QStringLiteral("x"), t.x},
                          {QStringLiteral("y"), t.y}, {QStringLiteral("cacheTime"), t.cacheTime},
                          {QStringLiteral("size"), QJsonValue::Null}, {QStringLiteral("md5"), QJsonValue::Null}};
            if (t.hasData) {
                o[QStringLiteral("size")] = static_cast<qint64>(t.tile.size());
                o[QStringLiteral("md5")] = Md5(t.tile);
            }
            list.append(o);
            continue;
        }
        const QString data = t.hasData ? QStringLiteral("%1 bytes\t%2").arg(t.tile.size()).arg(Md5(t.tile))
                                       : QStringLiteral("no data\t-");
        io.Line(QStringLiteral("%1\t%2/%3/%4\t%5\t%6").arg(t.id).arg(t.zoom).arg(t.x).arg(t.y).arg(data, t.cacheTime));
    }
    if (json) {
        io.Json(QJsonObject{{QStringLiteral("cache"), cachePath}, {QStringLiteral("tiles"), list}});
    }
    return 0;
}

// Serves the loopback tiles until the process is stopped.
int Serve(const CommandArguments& args, CommandOutput& io)
{
    args.AllowOnly(QStringLiteral("serve"), {"--port"});
    args.ExpectPositional(1, 1, QStringLiteral("nothing"));
    const quint16 port = quint16(args.Integer(kPort, 0, 65535).value_or(0));
    // The tiles' text is drawn with the platform's fonts.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        io.Message(QStringLiteral("serve needs a QGuiApplication"));
        return 1;
    }
    LoopbackTileServer server;
    if (!server.Listen(port)) {
        io.Message(QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(server.ErrorString()));
        return 1;
    }
    server.SetRequestLog([&io](const QString& path, int status) {
        io.Line(QStringLiteral("%1 %2").arg(status).arg(path));
        io.Out().flush();
    });
    io.Line(QStringLiteral("serving http://127.0.0.1:%1/").arg(server.Port()));
    io.Out().flush();
    return QCoreApplication::exec();
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1 << 20, QStringLiteral("an action (fetch, list, serve)"));
    const QString action = args.Positional().first();
    if (action == QLatin1String("serve")) {
        return Serve(args, io);
    }
    if (action != QLatin1String("fetch") && action != QLatin1String("list")) {
        throw UsageError(QStringLiteral("unknown action '%1' (fetch, list, serve)").arg(action));
    }
    if (args.Has(kPort)) {
        throw UsageError(QStringLiteral("%1 takes no option '--port'").arg(action));
    }
    const QString cachePath = args.Required(kCache);
    const bool json = args.Has(kJson);
    try {
        if (action == QLatin1String("list")) {
            args.AllowOnly(action, {"--cache", "--json"});
            args.ExpectPositional(1, 1, QStringLiteral("nothing"));
            return List(cachePath, json, io);
        }
        const QStringList numbers = args.Positional().mid(1);
        if (numbers.isEmpty() || numbers.size() % 3 != 0) {
            throw UsageError(QStringLiteral("fetch needs tiles as Z X Y, three numbers each"));
        }
        const QString server = args.Value(kServer);
        if (args.Has(kServer) && !COSMCtrlMapnikTileProvider::IsUsableServer(server)) {
            throw UsageError(QStringLiteral("not a usable tile server: '%1'").arg(server));
        }
        std::vector<TileAddress> tiles;
        for (qsizetype i = 0; i < numbers.size(); i += 3) {
            TileAddress t{};
            t.zoom = static_cast<int>(CommandArguments::ParseInteger(numbers[i], 0, kMaxZoom, QStringLiteral("Z")));
            const int n = COSMCtrlTileLayout::TilesPerSide(t.zoom);
            t.x = static_cast<int>(CommandArguments::ParseInteger(numbers[i + 1], 0, n - 1, QStringLiteral("X at zoom %1").arg(t.zoom)));
            t.y = static_cast<int>(CommandArguments::ParseInteger(numbers[i + 2], 0, n - 1, QStringLiteral("Y at zoom %1").arg(t.zoom)));
            tiles.push_back(t);
        }
        return Fetch(cachePath, server, tiles, json, io);
    } catch (const CppSQLite3Exception& e) {
        io.Message(e.ErrorMessage());
        return 2;
    }
}

} // namespace

const ToolCommand& TilesCommand::Command()
{
    static const ToolCommand command{
        "tiles",
        "fill or list a map tile cache file, or serve made-up tiles on loopback",
        "tiles fetch --cache FILE [--server URL] [--json] Z X Y [Z X Y ...]\n"
        "tiles list --cache FILE [--json]\n"
        "tiles serve [--port P]",
        R"HELP(The map's tile cache (an SQLite file), through the same cache, download queue and worker the
map uses.
  fetch   downloads the tiles Z X Y (zoom 0 to 18, X and Y below 2^Z) that the cache does not
          hold yet and prints one line per tile: Z/X/Y, cached|stored|not stored, size, MD5
  list    prints every row of the cache: id, Z/X/Y, size and MD5 (or "no data"), cache time
  serve   answers GET /Z/X/Y.png on 127.0.0.1 with a made-up tile (its colour from Z/X/Y, the
          text "Z/X/Y", a graticule at round degrees) to judge the map's placement by eye, until
          stopped; prints "serving http://127.0.0.1:P/", then "STATUS PATH" for each request

Options:
  --cache FILE   the cache file (fetch creates it)
  --server URL   the tile server, "http://host[:port][/path]" [the map's own]
  --port P       serve: the port, 0 to 65535 [0: a free one]
  --json         one JSON object instead of the lines:
                   fetch: {"cache", "tiles": [{"zoom", "x", "y", "status", "size"?, "md5"?}]}
                   list:  {"cache", "tiles": [{"id", "zoom", "x", "y", "cacheTime",
                                               "size", "md5"}]} (null without data)

Exit codes:
  0   done (fetch: every tile asked for is in the cache)
  1   fetch: some tile was not stored; serve: the port cannot be had
  2   the cache file is missing (list) or unusable
  64  a mistake in the command line
)HELP",
        {{kCache, QStringLiteral("FILE")}, {kServer, QStringLiteral("URL")}, {kJson, {}}, {kPort, QStringLiteral("P")}},
        &Run,
    };
    return command;
}
