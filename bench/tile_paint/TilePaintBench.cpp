// Sixteen tiles of 640x360 at 25 fps in a 1600x900 window, playing through the facade and the
// decoding library for a minute: how many frames reach the screen within one frame period of
// their due time, what decoding and painting cost per stream-second, and what a paint costs the
// GUI thread. Usage: bench_tile_paint [SECONDS]
#include "TileBenchSupport.h"

#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "viewer/CVideoPlayer.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kTiles = 16;
constexpr int kColumns = 4;
constexpr int kFps = 25;

void Run(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

double ChildCpuSeconds()
{
    struct rusage u = {};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const QStringList files = TileBench::EvidenceFiles(4, 640, 360, seconds + 20);

    FalFacade facade;
    QWidget window;
    window.resize(1600, 900);
    window.show();
    std::vector<FalFacade::OwnedVideos> opened;
    std::vector<CVideoPlayer*> tiles;
    std::vector<std::unique_ptr<TileBench::PaintLog>> logs;
    const int cellW = 1600 / kColumns;
    const int cellH = 900 / (kTiles / kColumns);
    for (int i = 0; i < kTiles; ++i) {
        const QString& file = files[i % files.size()];
        opened.push_back(facade.OpenVideoFile(file, QFileInfo(file).absolutePath()));
        Video* video = opened.back().front().get();
        auto* tile = new CVideoPlayer(video, &facade, &window);
        tile->setGeometry((i % kColumns) * cellW, (i / kColumns) * cellH, cellW, cellH);
        tile->show();
        video->renderWindow = tile->Surface();
        tiles.push_back(tile);
        logs.push_back(std::make_unique<TileBench::PaintLog>(tile, static_cast<size_t>(seconds + 10) * kFps));
    }
    for (CVideoPlayer* tile : tiles)
        facade.PlayVideo(tile->GetVideo());
    Run(3000);  // indexes built, views set

    auto libraryOnTime = [&] {
        int64_t onTime = 0, due = 0;
        for (CVideoPlayer* tile : tiles) {
            const VDL_Stats s = facade.GetStats(tile->GetVideo());
            onTime += s.framesOnTime;
            due += s.framesPresented + s.framesDropped;
        }
        return std::pair(onTime, due);
    };
    const auto library0 = libraryOnTime();
    for (auto& log : logs)
        log->Start();
    const double cpu0 = TileBench::ProcessCpuSeconds();
    const double gui0 = TileBench::ThreadCpuSeconds();
    const int64_t t0 = TileBench::NowNanos();
    Run(seconds * 1000);
    const double wall = (TileBench::NowNanos() - t0) / 1e9;
    const double cpu = TileBench::ProcessCpuSeconds() - cpu0;
    const double gui = TileBench::ThreadCpuSeconds() - gui0;
    for (auto& log : logs)
        log->Stop();
    const auto library1 = libraryOnTime();

    std::vector<const TileBench::PaintLog*> all;
    int64_t paints = 0;
    for (auto& log : logs) {
        all.push_back(log.get());
        paints += log->Paints();
    }
    const TileBench::Summary s = TileBench::Summarise(all, 1000.0 / kFps);
    const QSize shown = tiles.front()->Container()->size();

    for (CVideoPlayer* tile : tiles)
        delete tile;
    for (auto& videos : opened) {
        VideoList list{videos.front().get()};
        facade.StopVideos(&list);
    }

    std::printf("tile_paint_platform: %s, %d tiles of 640x360 at %d fps shown at %dx%d, %.1f s\n",
                qPrintable(QGuiApplication::platformName()), kTiles, kFps, shown.width(), shown.height(), wall);
    std::printf("tile_paint_frames: %lld due, %lld painted, %lld within one period\n", static_cast<long long>(s.due),
                static_cast<long long>(s.painted), static_cast<long long>(s.onTime));
    std::printf("tile_paint_in_period_share: %s %% (goal >= 99 %%)\n",
                TileBench::Fixed(100.0 * s.onTime / std::max<int64_t>(1, s.due), 2).c_str());
    std::printf("tile_paint_library_on_time_share: %s %% (frames the library presented within one period, for comparison)\n",
                TileBench::Fixed(100.0 * (library1.first - library0.first)
                                     / std::max<int64_t>(1, library1.second - library0.second), 2).c_str());
    std::printf("tile_paint_cpu_per_stream_second: %s s (goal <= 0.04)\n",
                TileBench::Fixed(cpu / (kTiles * wall), 4).c_str());
    std::printf("tile_paint_gui_paint_median: %s ms (the tile's paint of a new frame)\n",
                TileBench::Fixed(TileBench::Median(s.paintMillis), 3).c_str());
    std::printf("tile_paint_gui_thread_per_paint: %s ms (all GUI-thread CPU / %lld paints)\n",
                TileBench::Fixed(1000.0 * gui / std::max<int64_t>(1, paints), 3).c_str(), static_cast<long long>(paints));
    // For comparison: ffmpeg decoding the same stream and scaling it to the tile's size, one thread.
    const double child0 = ChildCpuSeconds();
    const std::string command = "ffmpeg -nostdin -loglevel quiet -threads 1 -i '" + files.front().toStdString()
        + "' -vf scale=" + std::to_string(shown.width()) + ":" + std::to_string(shown.height())
        + ",format=bgra -f null - 2>/dev/null";
    if (std::system(command.c_str()) == 0) {
        std::printf("tile_paint_ffmpeg_cpu_per_stream_second: %s s (same stream to %dx%d BGRA, for comparison)\n",
                    TileBench::Fixed((ChildCpuSeconds() - child0) / (seconds + 20), 4).c_str(), shown.width(), shown.height());
    }
    return 0;
}
