#include "tools/MapCommand.h"

#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "events/structMapPoint.h"
#include "map/COSMCtrl.h"
#include "map/COSMCtrlInternetSession.h"
#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlScaleBar.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlView.h"
#include "map/TileCacheStrings.h"
#include "tools/CommandOutput.h"
#include "tools/ToolCommand.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QTextStream>
#include <QThread>
#include <cmath>
#include <memory>
#include <optional>

namespace {

const QString kCache = QStringLiteral("--cache");
const QString kServer = QStringLiteral("--server");
const QString kCenter = QStringLiteral("--center");
const QString kZoom = QStringLiteral("--zoom");
const QString kRotation = QStringLiteral("--rotation");
const QString kUnits = QStringLiteral("--units");
const QString kSize = QStringLiteral("--size");
const QString kMarker = QStringLiteral("--marker");
const QString kPolyline = QStringLiteral("--polyline");
const QString kDrawStyle = QStringLiteral("--draw-style");
const QString kOffline = QStringLiteral("--offline");
const QString kScreenshot = QStringLiteral("--screenshot");
const QString kWait = QStringLiteral("--wait");
const QString kJson = QStringLiteral("--json");

constexpr int kPollMs = 100;
constexpr int kMaxSide = 16384;
constexpr double kMaxWaitSeconds = 3600.0;

// Set by PreparePlatform when the map would have had no display.
bool g_noDisplay = false;

struct MapOptions {
    QString cachePath;
    QString server;
    COSMCtrlPosition centre;
    double zoom = 3.0;
    double rotation = 0.0;
    int units = COSMCtrlScaleBar::kUnitsByLocale;
    QSize size = QSize(1024, 768);
    std::vector<COSMCtrlPosition> markers;
    std::vector<std::vector<COSMCtrlPosition>> polylines;
    int drawStyle = COSMCtrlPolyline::kDrawNodes;
    bool offline = false;
    QString screenshot;
    double waitSeconds = 30.0;
    bool json = false;
};

// A signed decimal, finite: positions and turns come from the command line, and a NaN would
// pass every later range test.
double Signed(const QString& text, const QString& what)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        throw UsageError(QStringLiteral("bad number '%1' for %2").arg(text, what));
    }
    return value;
}

COSMCtrlPosition Position(const QString& text, const QString& what)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) {
        throw UsageError(QStringLiteral("bad position '%1' for %2 (LON,LAT)").arg(text, what));
    }
    const COSMCtrlPosition p(Signed(parts[0], what), Signed(parts[1], what));
    if (std::fabs(p.latitude) > 90.0) {
        throw UsageError(QStringLiteral("bad position '%1' for %2 (latitude -90 to 90)").arg(text, what));
    }
    return p;
}

// Every option checked before the cache file is opened or created.
MapOptions Parse(const CommandArguments& args)
{
    args.ExpectPositional(0, 0, QStringLiteral("nothing"));
    MapOptions o;
    o.cachePath = args.Value(kCache);
    if (args.Has(kCache) && o.cachePath.isEmpty()) {
        throw UsageError(QStringLiteral("option '--cache' needs a file name"));
    }
    if (args.Has(kServer)) {
        o.server = args.Value(kServer);
        if (!COSMCtrlMapnikTileProvider::IsUsableServer(o.server)) {
            throw UsageError(QStringLiteral("not a usable tile server: '%1'").arg(o.server));
        }
    }
    if (args.Has(kCenter)) {
        o.centre = Position(args.Value(kCenter), kCenter);
    }
    o.zoom = args.Number(kZoom, 0.0, 18.0).value_or(o.zoom);
    if (args.Has(kRotation)) {
        o.rotation = Signed(args.Value(kRotation), kRotation);
    }
    if (!COSMCtrlView::Normalise(o.zoom, o.rotation, o.centre)) {
        throw UsageError(QStringLiteral("no view at %1 (latitude within about 85.05 degrees at any zoom)").arg(args.Value(kCenter)));
    }
    if (args.Has(kUnits)) {
        const QString units = args.Value(kUnits);
        if (units == QLatin1String("metric")) {
            o.units = COSMCtrlScaleBar::kUnitsMetric;
        } else if (units == QLatin1String("imperial")) {
            o.units = COSMCtrlScaleBar::kUnitsImperial;
        } else {
            throw UsageError(QStringLiteral("bad units '%1' (metric, imperial)").arg(units));
        }
    }
    if (args.Has(kSize)) {
        const QStringList wh = args.Value(kSize).split(QLatin1Char('x'));
        if (wh.size() != 2) {
            throw UsageError(QStringLiteral("bad size '%1' for --size (WxH)").arg(args.Value(kSize)));
        }
        o.size = QSize(int(CommandArguments::ParseInteger(wh[0], 1, kMaxSide, QStringLiteral("the width"))),
                       int(CommandArguments::ParseInteger(wh[1], 1, kMaxSide, QStringLiteral("the height"))));
    }
    for (const QString& marker : args.All(kMarker)) {
        o.markers.push_back(Position(marker, kMarker));
    }
    for (const QString& line : args.All(kPolyline)) {
        std::vector<COSMCtrlPosition> nodes;
        for (const QString& node : line.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            nodes.push_back(Position(node, kPolyline));
        }
        o.polylines.push_back(std::move(nodes));
    }
    o.drawStyle = int(args.Integer(kDrawStyle, 0, 2).value_or(o.drawStyle));
    o.offline = args.Has(kOffline);
    o.screenshot = args.Value(kScreenshot);
    if (args.Has(kScreenshot) && o.screenshot.isEmpty()) {
        throw UsageError(QStringLiteral("option '--screenshot' needs a file name"));
    }
    o.waitSeconds = args.Number(kWait, 0.0, kMaxWaitSeconds).value_or(o.waitSeconds);
    o.json = args.Has(kJson);
    if (o.screenshot.isEmpty() && (o.json || args.Has(kWait))) {
        throw UsageError(QStringLiteral("option '%1' goes with --screenshot").arg(o.json ? kJson : kWait));
    }
    return o;
}

// Stands in for the viewer: prints the map point of each SeekToMapPoint it is sent.
class SeekPrinter : public QObject {
public:
    explicit SeekPrinter(QTextStream& out)
        : out_(out)
    {
    }

    bool event(QEvent* event) override
    {
        ViewerMessageEvent* message = ViewerMessageEvent::From(event);
        if (message == nullptr || message->Message() != ViewerMessages::SeekToMapPoint) {
            return QObject::event(event);
        }
        if (const structMapPoint* point = message->WPointer<structMapPoint>()) {
            out_ << "SeekToMapPoint " << QString::number(point->latitude, 'f', 7) << ' '
                 << QString::number(point->longitude, 'f', 7) << Qt::endl;
        }
        return true;
    }

private:
    QTextStream& out_;
};

// Whether every tile on the map in the view is in the cache file.
bool ViewCached(const COSMCtrl& map, int* cached, int* wanted)
{
    std::vector<COSMCtrlView::Cell> cells;
    const COSMCtrlView view = map.View();
    view.Cells(cells);
    *cached = 0;
    *wanted = 0;
    for (const COSMCtrlView::Cell& cell : cells) {
        if (!cell.onMap) {
            continue;
        }
        ++*wanted;
        if (map.TileImages().Holds(view.WholeZoom(), cell.column, cell.row)
            || map.TileCache()->FindCachedTile(view.WholeZoom(), cell.column, cell.row)) {
            ++*cached;
        }
    }
    return *cached == *wanted;
}

bool ServerAnswers(const COSMCtrlMapnikTileProvider& provider)
{
    COSMCtrlInternetSession session(QLatin1String(TileCacheStrings::kAgentName));
    session.SetTransferTimeout(COSMCtrlTileCache::kAvailabilityTimeoutMs);
    const int port = provider.GetDownloadPort();
    const QString root = port == COSMCtrlMapnikTileProvider::kDefaultPort
                             ? QStringLiteral("http://%1/").arg(provider.GetDownloadHost())
                             : QStringLiteral("http://%1:%2/").arg(provider.GetDownloadHost()).arg(port);
    return session.OpenPage(root);
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    MapOptions o = Parse(args);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        io.Message(QStringLiteral("needs a QApplication"));
        return 2;
    }
    if (o.screenshot.isEmpty() && g_noDisplay) {
        io.Message(QStringLiteral("no display to show the map on (set DISPLAY, or take a --screenshot)"));
        return 2;
    }
    std::unique_ptr<COSMCtrlMapnikTileProvider> provider;
    if (!o.server.isEmpty()) {
        provider = std::make_unique<COSMCtrlMapnikTileProvider>(o.server);
    }
    if (o.cachePath.isEmpty()) {
        o.cachePath = COSMCtrlTileCache::DefaultCachePath();
    }

    COSMCtrl map;
    map.SetTileProvider(provider.get());
    // Create logs the reason; the command names the file.
    if (!map.Create(QStringLiteral("Map"), Qt::WindowFlags(), QRect(QPoint(0, 0), o.size), nullptr, 0, o.cachePath)) {
        io.Message(QStringLiteral("cannot open the tile cache %1").arg(o.cachePath));
        return 1;
    }
    map.SetCenterAndZoom(o.zoom, o.rotation, o.centre);
    COSMCtrlTileCache& cache = *map.TileCache();
    if (o.offline) {
        cache.SetInternetAvailable(false);
    } else if (provider) {
        cache.SetInternetAvailable(ServerAnswers(*provider));
    } else {
        cache.CheckInternetAvailable();
    }
    map.SetDistanceUnits(o.units);

    COSMCtrlIcon pin = COSMCtrlIcon::Pin();
    const int pinIndex = map.AddIcon(&pin);
    for (const COSMCtrlPosition& p : o.markers) {
        map.AddMarker(COSMCtrlMarker(p, pinIndex));
    }
    for (const std::vector<COSMCtrlPosition>& nodes : o.polylines) {
        COSMCtrlPolyline line;
        line.drawStyle = o.drawStyle;
        for (const COSMCtrlPosition& p : nodes) {
            line.nodes.emplace_back(p);
        }
        map.AddPolyline(line);
    }

    map.show();
    if (!o.screenshot.isEmpty()) {
        QElapsedTimer waited;
        waited.start();
        int cached = 0;
        int wanted = 0;
        // Each paint asks for the missing tiles of the view; the worker fetches them.
        while (cache.IsInternetAvailable() && !ViewCached(map, &cached, &wanted)
               && waited.elapsed() < qint64(o.waitSeconds * 1000.0)) {
            map.update();
            QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs);
            QThread::msleep(kPollMs);
        }
        ViewCached(map, &cached, &wanted);
        QCoreApplication::processEvents();
        const QPixmap picture = map.grab();
        if (!picture.save(o.screenshot, "PNG")) {
            io.Message(QStringLiteral("cannot write %1").arg(o.screenshot));
            return 1;
        }
        const bool online = cache.IsInternetAvailable();
        if (o.json) {
            io.Json(QJsonObject{{QStringLiteral("screenshot"), o.screenshot},
                                {QStringLiteral("width"), picture.width()},
                                {QStringLiteral("height"), picture.height()},
                                {QStringLiteral("zoom"), map.GetZoom()},
                                {QStringLiteral("longitude"), map.GetCenter().longitude},
                                {QStringLiteral("latitude"), map.GetCenter().latitude},
                                {QStringLiteral("tilesCached"), cached},
                                {QStringLiteral("tilesWanted"), wanted},
                                {QStringLiteral("internet"), online}});
        } else {
            io.Line(QStringLiteral("screenshot %1: %2 of %3 tiles cached%4")
                        .arg(o.screenshot)
                        .arg(cached)
                        .arg(wanted)
                        .arg(online ? QString() : QStringLiteral(", no network")));
        }
        return 0;
    }

    SeekPrinter viewer(io.Out());
    CCoordinatorPlomeraView coordinator(&viewer);
    map.SetViewEventsSource([&coordinator]() -> IPlomeraViewEvents* { return &coordinator; });
    QTextStream& out = io.Out();
    QObject::connect(&map, &COSMCtrl::ViewChanged, &map, [&map, &out] {
        out << "view " << map.GetZoom() << ' ' << QString::number(map.GetCenter().longitude, 'f', 7) << ' '
            << QString::number(map.GetCenter().latitude, 'f', 7) << Qt::endl;
    });
    map.setFocus();
    return QApplication::exec();
}

} // namespace

void MapCommand::PreparePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return;
    }
    g_noDisplay = true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

const ToolCommand& MapCommand::Command()
{
    static const ToolCommand command{
        "map",
        "the map control alone on a tile cache, shown or as a screenshot",
        "map [--cache FILE] [--server URL] [--center LON,LAT] [--zoom Z] [--marker LON,LAT]... [OPTIONS]\n"
        "map [--cache FILE] [--server URL] [--center LON,LAT] [--zoom Z] [OPTIONS] --screenshot OUT.png [--json]",
        R"HELP(The player's map control on its own, on the tile cache FILE, fetching missing tiles from the
tile server into it.
Without --screenshot it shows the map (a display is needed) until its window is closed, and
prints a line for what it would send the player:
  SeekToMapPoint LAT LON   a double-click on the map
  view ZOOM LON LAT        after each move or zoom of the view
With --screenshot it waits until every tile of the view is in the cache (at most S seconds,
not at all without the network), writes the control's picture and prints
  screenshot OUT.png: N of M tiles cached[, no network]

Options:
  --cache FILE          the tile cache file [the map's own, under the user's data folder]
  --server URL          the tile server, "http://host[:port][/path]" [the map's own]
  --center LON,LAT      the view's centre in degrees [0,0]
  --zoom Z              the zoom, 0 to 18, fractions allowed [3]
  --rotation DEG        the map turned by DEG degrees [0]
  --units metric|imperial  the scale bar's units [the locale's]
  --size WxH            the control's size in pixels [1024x768]
  --marker LON,LAT      a pin there (may be given many times)
  --polyline "LON,LAT;LON,LAT;..."  a track through these nodes (may be given many times)
  --draw-style N        the tracks drawn as 0 a line, 1 a line and node dots, 2 node dots [2]
  --offline             as without the network: placeholders "Internet Not Available"
  --screenshot OUT.png  write the picture and exit
  --wait S              with --screenshot: seconds to wait for the tiles [30]
  --json                with --screenshot: one JSON object instead of the line:
                          {"screenshot", "width", "height", "zoom", "longitude", "latitude",
                           "tilesCached", "tilesWanted", "internet"}

Exit codes:
  0   done (the map was closed, or the screenshot written)
  1   the tile cache cannot be opened or created, or the screenshot cannot be written
  2   no display to show the map on
  64  a mistake in the command line (a view off the map included)
)HELP",
        {{kCache, QStringLiteral("FILE")},
         {kServer, QStringLiteral("URL")},
         {kCenter, QStringLiteral("LON,LAT")},
         {kZoom, QStringLiteral("Z")},
         {kRotation, QStringLiteral("DEG")},
         {kUnits, QStringLiteral("UNITS")},
         {kSize, QStringLiteral("WxH")},
         {kMarker, QStringLiteral("LON,LAT")},
         {kPolyline, QStringLiteral("NODES")},
         {kDrawStyle, QStringLiteral("N")},
         {kOffline, {}},
         {kScreenshot, QStringLiteral("OUT.png")},
         {kWait, QStringLiteral("S")},
         {kJson, {}}},
        &Run,
    };
    return command;
}
