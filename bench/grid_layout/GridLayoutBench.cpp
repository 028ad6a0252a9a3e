// Nine cameras of 640x360 at 25 fps play in the viewer's grid while the layout cycles through
// every mode that holds nine ("3x3", "4x4", "Custom 12x1", "Custom 14x1"): the time of one
// layout change (the viewer's whole handler, cells, pages and tiles re-placed), and the share of
// frames painted within one frame period over the cycle.
#include "TileBenchSupport.h"

#include "events/ViewerMessageDispatch.h"
#include "evidence/Video.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kTiles = 9;
constexpr int kFps = 25;

void Run(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
    // Each change is followed by a second of playback.
    const int seconds = cycles * 4 + 10;
    const QStringList files = TileBench::EvidenceFiles(kTiles, 640, 360, seconds + 20);
    if (files.size() < kTiles) {
        std::fprintf(stderr, "grid_layout: no sample evidence\n");
        return 1;
    }

    CViewer viewer;
    viewer.resize(1600, 960);
    viewer.show();
    for (const QString& file : files.mid(0, kTiles))
        SendViewerMessage<ViewerMessages::OpenLocalFile>(&viewer, file);
    const std::vector<CVideoPlayer*> tiles = viewer.Players();
    if (tiles.size() != static_cast<size_t>(kTiles)) {
        std::fprintf(stderr, "grid_layout: %zu tiles opened\n", tiles.size());
        return 1;
    }
    std::vector<std::unique_ptr<TileBench::PaintLog>> logs;
    for (CVideoPlayer* tile : tiles)
        logs.push_back(std::make_unique<TileBench::PaintLog>(tile, static_cast<size_t>(seconds + 10) * kFps));
    Run(3000);  // indexes built, views set

    for (auto& log : logs)
        log->Start();
    const int modes[] = {9, 5, 8, 6};  // "4x4", "Custom 12x1", "Custom 14x1", back to "3x3"
    std::vector<double> changeMillis;
    for (int c = 0; c < cycles; ++c) {
        for (const int mode : modes) {
            QElapsedTimer t;
            t.start();
            SendViewerMessage<ViewerMessages::SetLayout>(&viewer, mode);
            changeMillis.push_back(t.nsecsElapsed() / 1e6);
            Run(1000);
        }
    }
    for (auto& log : logs)
        log->Stop();
    std::vector<const TileBench::PaintLog*> all;
    for (auto& log : logs)
        all.push_back(log.get());
    const TileBench::Summary s = TileBench::Summarise(all, 1000.0 / kFps);
    const unsigned finalMode = viewer.LayoutMode();
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(&viewer);

    std::sort(changeMillis.begin(), changeMillis.end());
    std::printf("grid_layout_platform: %d tiles of 640x360 at %d fps in a 1600x960 viewer, %zu layout changes (final mode %u)\n",
                kTiles, kFps, changeMillis.size(), finalMode);
    std::printf("grid_layout_change_median: %s ms (goal <= 30; min %s, max %s)\n",
                TileBench::Fixed(TileBench::Median(changeMillis), 2).c_str(),
                TileBench::Fixed(changeMillis.front(), 2).c_str(), TileBench::Fixed(changeMillis.back(), 2).c_str());
    std::printf("grid_layout_frames: %lld due, %lld painted, %lld within one period\n", static_cast<long long>(s.due),
                static_cast<long long>(s.painted), static_cast<long long>(s.onTime));
    std::printf("grid_layout_in_period_share: %s %% (goal >= 99 %%)\n",
                TileBench::Fixed(s.due > 0 ? 100.0 * s.onTime / s.due : 0.0, 2).c_str());
    return 0;
}
