// Tiles in step. 4 and then 16 tiles of 640x360 at 25 fps play through the viewer with sync all
// on for a scripted minute (seek all, 1x, pause, steps, 1x, 2x, 1x); every 10 ms the frame index
// each tile shows is read, and the spread across tiles (largest minus smallest index, in frame
// periods) is kept for the stretches at 1x and at 2x, leaving out 400 ms after each command.
// The same script runs a second time with each camera on its own clock (sync all sending every
// command to every camera, as without the shared clock), for comparison.
//
//   QT_QPA_PLATFORM=offscreen build/bench/sync_tiles/bench_sync_tiles [seconds-per-run]
#include "events/ViewerMessageDispatch.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/TileSurface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFps = 25;

struct Spread {
    std::vector<double> at1x;
    std::vector<double> at2x;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

// The spread of the frames the tiles show now, -1 while a tile shows none.
double SpreadNow(CViewer& viewer)
{
    int64_t low = INT64_MAX;
    int64_t high = INT64_MIN;
    for (CVideoPlayer* p : viewer.Players()) {
        const int64_t index = p->Panel()->Surface().Shown().frameIndex;
        if (index < 0)
            return -1;
        low = std::min(low, index);
        high = std::max(high, index);
    }
    return static_cast<double>(high - low);
}

// Runs the viewer's event loop for the time given, sampling the spread into out (null: none).
void Sample(CViewer& viewer, int millis, std::vector<double>* out)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < millis) {
        QTest::qWait(10);
        if (out != nullptr && t.elapsed() >= 400) {
            const double s = SpreadNow(viewer);
            if (s >= 0)
                out->push_back(s);
        }
    }
}

Spread Run(const std::vector<SampleFile>& files, size_t tiles, bool oneClock, int seconds)
{
    CViewer viewer;
    viewer.resize(1600, 900);
    viewer.show();
    viewer.SetMessageBoxFunction([](const QString&, const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) {
        return QMessageBox::Ok;
    });
    SendViewerMessage<ViewerMessages::SetLayout>(
        &viewer, static_cast<int>(tiles <= 4 ? CViewerCapabilities::Layout2x2 : CViewerCapabilities::Layout4x4));
    for (size_t i = 0; i < tiles; ++i)
        SendViewerMessage<ViewerMessages::OpenLocalFile>(&viewer, files[i].path);
    Sample(viewer, 1000, nullptr);
    viewer.SetOneClock(oneClock);  // off: the same commands to every camera, each on its own clock
    SendViewerMessage<ViewerMessages::SelectAllCameras>(&viewer, true);
    Spread spread;
    const int unit = seconds * 1000 / 60;  // the script's minute, scaled
    SendViewerMessage<ViewerMessages::SeekToTime>(&viewer, files[0].startTime + 2);
    Sample(viewer, 20 * unit, &spread.at1x);
    SendViewerMessage<ViewerMessages::OnPause>(&viewer);
    Sample(viewer, 2 * unit, nullptr);
    for (int i = 0; i < 10; ++i) {
        SendViewerMessage<ViewerMessages::OnNextFrame>(&viewer);
        Sample(viewer, 100, nullptr);
    }
    SendViewerMessage<ViewerMessages::OnPlay>(&viewer);
    Sample(viewer, 15 * unit, &spread.at1x);
    SendViewerMessage<ViewerMessages::OnFastForward>(&viewer);
    Sample(viewer, 10 * unit, &spread.at2x);
    SendViewerMessage<ViewerMessages::OnPlay>(&viewer);
    Sample(viewer, 10 * unit, &spread.at1x);
    SendViewerMessage<ViewerMessages::SelectAllCameras>(&viewer, false);
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(&viewer);
    return spread;
}

void Print(const char* name, const Spread& s, size_t tiles, bool goal)
{
    std::printf("sync_tiles_%s_%zu_spread_1x_max: %.0f frame periods%s (%zu samples)\n", name, tiles,
                s.at1x.empty() ? 0.0 : *std::max_element(s.at1x.begin(), s.at1x.end()), goal ? " (goal <= 1)" : "",
                s.at1x.size());
    std::printf("sync_tiles_%s_%zu_spread_1x_p99: %.0f frame periods\n", name, tiles, Percentile(s.at1x, 0.99));
    std::printf("sync_tiles_%s_%zu_spread_2x_max: %.0f frame periods (p99 %.0f, %zu samples)\n", name, tiles,
                s.at2x.empty() ? 0.0 : *std::max_element(s.at2x.begin(), s.at2x.end()), Percentile(s.at2x, 0.99),
                s.at2x.size());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(12, std::atoi(argv[1])) : 60;
    QTemporaryDir folder;
    SampleEvidenceOptions o;
    o.durationSeconds = seconds + 20;
    o.width = 640;
    o.height = 360;
    o.fps = kFps;
    o.gop = 50;
    o.cameras = 16;
    std::fprintf(stderr, "making 16 samples of %d s ...\n", static_cast<int>(o.durationSeconds));
    const std::vector<SampleFile> files = SampleMaker::MakeFiles(folder.path(), o);
    if (files.size() != 16) {
        std::fprintf(stderr, "samples could not be made\n");
        return 1;
    }
    for (size_t tiles : {size_t{4}, size_t{16}}) {
        Print("one_clock", Run(files, tiles, true, seconds), tiles, true);
        Print("own_clocks", Run(files, tiles, false, seconds), tiles, false);
    }
    return 0;
}
