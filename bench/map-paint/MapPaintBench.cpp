// How long the map control takes to paint a 1280 x 800 view whose tiles are in its cache file:
// the first paint, which reads and decodes every tile, and the repaints after it, which draw
// decoded tiles from memory with the cross-hairs, a track, two markers and the bars; also at a
// fractional zoom, turned, and while the view is dragged. Tiles are
// the loopback server's pictures (graticule, text), stored straight into a fresh cache file.
#include "map/COSMCtrl.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTileDatabase.h"
#include "map/COSMCtrlView.h"
#include "tools/LoopbackTilePicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kColdRounds = 7;
constexpr int kPaints = 300;

const COSMCtrlPosition kCentre(13.405, 52.52);

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

// Every tile of the views the benchmark paints (all at level 12).
int FillCache(const QString& path)
{
    COSMCtrlTileDatabase database(path);
    database.CreateIfAbsent();
    int stored = 0;
    for (int zoom : {12}) {
        // A rotated view reaches further: fill the square around the view's half diagonal.
        const double reach = std::hypot(kWidth, kHeight) / 2.0 / 256.0 + 2.0;
        const QPointF centre = COSMCtrlView(kCentre, zoom, 0.0, QSizeF(kWidth, kHeight)).CentreTile();
        for (int x = int(centre.x() - reach); x <= int(centre.x() + reach); ++x) {
            for (int y = int(centre.y() - reach); y <= int(centre.y() + reach); ++y) {
                if (database.InsertTile(zoom, x, y, LoopbackTilePicture::Png(zoom, x, y)) != 0) {
                    ++stored;
                }
            }
        }
    }
    return stored;
}

struct Scene {
    COSMCtrl map;
    COSMCtrlIcon pin = COSMCtrlIcon::Pin();

    Scene(const QString& cache, double zoom, double rotation)
    {
        map.Create(QStringLiteral("Map"), Qt::WindowFlags(), QRect(0, 0, kWidth, kHeight), nullptr, 0, cache);
        QCoreApplication::processEvents();  // slider and attribution link
        map.TileCache()->StopWorker();
        map.TileCache()->SetInternetAvailable(false);
        map.SetCenterAndZoom(zoom, rotation, kCentre);
        const int icon = map.AddIcon(&pin);
        // A drive of 600 samples through the view, its start and end marked.
        COSMCtrlPolyline track;
        track.drawStyle = COSMCtrlPolyline::kDrawLineAndNodes;
        for (int i = 0; i < 600; ++i) {
            const double t = i / 600.0;
            track.nodes.emplace_back(COSMCtrlPosition(13.33 + 0.15 * t, 52.49 + 0.05 * std::sin(t * 9.0)));
        }
        map.AddMarker(COSMCtrlMarker(track.nodes.front().position, icon));
        map.AddMarker(COSMCtrlMarker(track.nodes.back().position, icon));
        map.AddPolyline(track);
    }
};

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Wall time of one paint; its CPU time on this thread is added to *cpu when asked. On a machine
// shared with other work the two differ by the time the thread waited for a core.
double PaintMs(COSMCtrl& map, QImage& target, std::vector<double>* cpu = nullptr)
{
    const double cpuStart = ThreadCpuMs();
    QElapsedTimer timer;
    timer.start();
    map.render(&target);
    const double wall = double(timer.nsecsElapsed()) / 1e6;
    if (cpu != nullptr) {
        cpu->push_back(ThreadCpuMs() - cpuStart);
    }
    return wall;
}

void Repaints(const char* name, const QString& cache, double zoom, double rotation, QImage& target, bool withGoal)
{
    Scene scene(cache, zoom, rotation);
    PaintMs(scene.map, target);  // decodes the view's tiles
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < kPaints; ++i) {
        times.push_back(PaintMs(scene.map, target, &cpu));
    }
    std::printf("%s: %.2f ms median, p95 %.2f ms, min %.2f ms; thread CPU %.2f ms median (%s)\n", name,
                Percentile(times, 0.5), Percentile(times, 0.95), Percentile(times, 0.0), Percentile(cpu, 0.5),
                withGoal ? "goal <= 8 ms" : "no goal");
}

// A drag: the view moves a few pixels between paints, so every paint places the tiles and the
// track anew (tiles come from memory).
void Dragged(const QString& cache, QImage& target)
{
    Scene scene(cache, 12.0, 0.0);
    PaintMs(scene.map, target);
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < kPaints; ++i) {
        const int step = (i / 50) % 2 == 0 ? 3 : -3;  // back and forth over the cached tiles
        scene.map.SetCenter(scene.map.View().CentreAfterDrag(QPointF(step, 1 - 2 * ((i / 25) % 2))));
        times.push_back(PaintMs(scene.map, target, &cpu));
    }
    std::printf("map_paint_dragging: %.2f ms median, p95 %.2f ms, min %.2f ms; thread CPU %.2f ms median (no goal)\n",
                Percentile(times, 0.5), Percentile(times, 0.95), Percentile(times, 0.0), Percentile(cpu, 0.5));
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QApplication app(argc, argv);
    const QString cache = home.filePath(QStringLiteral("Data.gmdb"));
    const int stored = FillCache(cache);
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);

    // The first paint of a new control reads every tile from the file and decodes it.
    std::vector<double> cold;
    int decoded = 0;
    for (int round = 0; round < kColdRounds; ++round) {
        Scene scene(cache, 12.0, 0.0);
        cold.push_back(PaintMs(scene.map, target));
        decoded = scene.map.TileImages().Count();
    }
    std::printf("map_paint_cold: %.1f ms median, min %.1f ms, max %.1f ms (no goal; %d tiles read and decoded, "
                "%d in the file)\n",
                Percentile(cold, 0.5), Percentile(cold, 0.0), Percentile(cold, 1.0), decoded, stored);

    Repaints("map_paint_cached", cache, 12.0, 0.0, target, true);
    Repaints("map_paint_cached_fractional_zoom", cache, 12.5, 0.0, target, false);
    Repaints("map_paint_cached_rotated", cache, 12.0, 30.0, target, false);
    Dragged(cache, target);
    return 0;
}
