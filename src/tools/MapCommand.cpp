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

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QThread>
#include <cstring>
#include <memory>
#include <optional>

namespace {

const char* kUsage =
    "usage: plomera-evidence map [--cache FILE] [--server URL] [--center LON,LAT] [--zoom Z] [--rotation DEG]\n"
    "           [--units metric|imperial] [--size WxH] [--marker LON,LAT]... [--polyline \"LON,LAT;...\"]...\n"
    "           [--draw-style N] [--offline] [--screenshot OUT.png] [--wait S]";

constexpr int kPollMs = 100;

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
};

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<COSMCtrlPosition> Position(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const std::optional<double> longitude = Number(parts[0]);
    const std::optional<double> latitude = Number(parts[1]);
    if (!longitude || !latitude) {
        return std::nullopt;
    }
    return COSMCtrlPosition(*longitude, *latitude);
}

// Parses the options; the text of the mistake when there is one.
std::optional<QString> Parse(const QStringList& args, MapOptions& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--offline")) {
            o.offline = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return QStringLiteral("%1 needs a value").arg(a);
        }
        const QString value = args[++i];
        if (a == QLatin1String("--cache")) {
            o.cachePath = value;
        } else if (a == QLatin1String("--server")) {
            if (!COSMCtrlMapnikTileProvider::IsUsableServer(value)) {
                return QStringLiteral("not a usable tile server: %1").arg(value);
            }
            o.server = value;
        } else if (a == QLatin1String("--center")) {
            const std::optional<COSMCtrlPosition> p = Position(value);
            if (!p) {
                return QStringLiteral("not a position (LON,LAT): %1").arg(value);
            }
            o.centre = *p;
        } else if (a == QLatin1String("--zoom") || a == QLatin1String("--rotation") || a == QLatin1String("--wait")) {
            const std::optional<double> n = Number(value);
            if (!n) {
                return QStringLiteral("not a number: %1 %2").arg(a, value);
            }
            (a == QLatin1String("--zoom") ? o.zoom : a == QLatin1String("--rotation") ? o.rotation : o.waitSeconds) = *n;
        } else if (a == QLatin1String("--units")) {
            if (value == QLatin1String("metric")) {
                o.units = COSMCtrlScaleBar::kUnitsMetric;
            } else if (value == QLatin1String("imperial")) {
                o.units = COSMCtrlScaleBar::kUnitsImperial;
            } else {
                return QStringLiteral("units are metric or imperial: %1").arg(value);
            }
        } else if (a == QLatin1String("--size")) {
            const QStringList wh = value.split(QLatin1Char('x'));
            bool okW = false;
            bool okH = false;
            const int w = wh.value(0).toInt(&okW);
            const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
            if (!okW || !okH || w < 1 || h < 1 || w > 16384 || h > 16384) {
                return QStringLiteral("not a size (WxH): %1").arg(value);
            }
            o.size = QSize(w, h);
        } else if (a == QLatin1String("--marker")) {
            const std::optional<COSMCtrlPosition> p = Position(value);
            if (!p) {
                return QStringLiteral("not a position (LON,LAT): %1").arg(value);
            }
            o.markers.push_back(*p);
        } else if (a == QLatin1String("--polyline")) {
            std::vector<COSMCtrlPosition> nodes;
            for (const QString& node : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                const std::optional<COSMCtrlPosition> p = Position(node);
                if (!p) {
                    return QStringLiteral("not a position (LON,LAT): %1").arg(node);
                }
                nodes.push_back(*p);
            }
            o.polylines.push_back(std::move(nodes));
        } else if (a == QLatin1String("--draw-style")) {
            bool ok = false;
            o.drawStyle = value.toInt(&ok);
            if (!ok || o.drawStyle < 0 || o.drawStyle > 2) {
                return QStringLiteral("draw style is 0, 1 or 2: %1").arg(value);
            }
        } else if (a == QLatin1String("--screenshot")) {
            o.screenshot = value;
        } else {
            return QStringLiteral("unknown option: %1").arg(a);
        }
    }
    if (!(o.waitSeconds >= 0.0)) {
        return QStringLiteral("not a wait: %1").arg(o.waitSeconds);
    }
    return std::nullopt;
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

} // namespace

bool MapCommand::PreparePlatform(int argc, char** argv, QString* problem)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        return true;
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return true;
        }
    }
    *problem = QStringLiteral("map: no display to show the map on (set DISPLAY, or take a --screenshot)");
    return false;
}

int MapCommand::Run(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Run(args, out, err);
}

int MapCommand::Run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    MapOptions o;
    if (const std::optional<QString> mistake = Parse(args, o)) {
        err << *mistake << Qt::endl << kUsage << Qt::endl;
        return 2;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        err << "map: needs a QApplication" << Qt::endl;
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
        err << "map: cannot open the tile cache " << o.cachePath << Qt::endl;
        return 1;
    }
    if (!map.SetCenterAndZoom(o.zoom, o.rotation, o.centre)) {
        err << "map: not a view: zoom " << o.zoom << " at " << o.centre.longitude << ',' << o.centre.latitude
            << " (zoom 0 to 18, latitude within about 85.05 degrees)" << Qt::endl;
        return 2;
    }
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
        if (!map.grab().save(o.screenshot, "PNG")) {
            err << "map: cannot write " << o.screenshot << Qt::endl;
            return 1;
        }
        out << "screenshot " << o.screenshot << ": " << cached << " of " << wanted << " tiles cached"
            << (cache.IsInternetAvailable() ? "" : ", no network") << Qt::endl;
        return 0;
    }

    SeekPrinter viewer(out);
    CCoordinatorPlomeraView coordinator(&viewer);
    map.SetViewEventsSource([&coordinator]() -> IPlomeraViewEvents* { return &coordinator; });
    QObject::connect(&map, &COSMCtrl::ViewChanged, &map, [&map, &out] {
        out << "view " << map.GetZoom() << ' ' << QString::number(map.GetCenter().longitude, 'f', 7) << ' '
            << QString::number(map.GetCenter().latitude, 'f', 7) << Qt::endl;
    });
    map.setFocus();
    return QApplication::exec();
}
