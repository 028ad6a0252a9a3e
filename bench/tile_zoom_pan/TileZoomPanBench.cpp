// Zoom and pan while playing and paused. Nine tiles of 640x360 at 25 fps zoomed to 2.5 and
// panned every 10 ms: frames painted within one period. One 1280x720 camera paused in a
// 1280x720 tile: how long a zoom step takes to show the frame at the new view, what that paint
// costs, and how many frames 200 zoom and pan steps decode. Usage: bench_tile_zoom_pan [SECONDS]
#include "TileBenchSupport.h"

#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CVideoPlayerStatusBar.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kFps = 25;

void Run(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

void Mouse(QWidget* w, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

void Wheel(QWidget* w, const QPoint& at, int delta)
{
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

QPoint InTile(CVideoPlayer* tile, const QPoint& containerPoint)
{
    return tile->Container()->mapTo(tile, containerPoint);
}

// Nine tiles zoomed to 2.5 (a Shift-drag rectangle 1/2.5 of the width), each panned every
// 10 ms in a slow circle.
void PanWhilePlaying(int seconds)
{
    const QStringList files = TileBench::EvidenceFiles(3, 640, 360, seconds + 20);
    FalFacade facade;
    QWidget window;
    window.resize(1200, 700);
    window.show();
    std::vector<FalFacade::OwnedVideos> opened;
    std::vector<CVideoPlayer*> tiles;
    std::vector<std::unique_ptr<TileBench::PaintLog>> logs;
    for (int i = 0; i < 9; ++i) {
        const QString& file = files[i % files.size()];
        opened.push_back(facade.OpenVideoFile(file, QFileInfo(file).absolutePath()));
        Video* video = opened.back().front().get();
        auto* tile = new CVideoPlayer(video, &facade, &window);
        tile->setGeometry((i % 3) * 400, (i / 3) * 233, 400, 233);
        tile->show();
        video->renderWindow = tile->Surface();
        tiles.push_back(tile);
        logs.push_back(std::make_unique<TileBench::PaintLog>(tile, static_cast<size_t>(seconds + 10) * kFps));
        facade.PlayVideo(video);
    }
    Run(2000);
    std::vector<QPoint> centres;
    for (CVideoPlayer* tile : tiles) {
        const QSize c = tile->Container()->size();
        const int w = static_cast<int>(std::lround(c.width() / 2.5));
        Mouse(tile, QEvent::MouseButtonPress, InTile(tile, QPoint(0, 0)), Qt::LeftButton, Qt::ShiftModifier);
        Mouse(tile, QEvent::MouseMove, InTile(tile, QPoint(w, 10)), Qt::LeftButton, Qt::ShiftModifier);
        Mouse(tile, QEvent::MouseButtonRelease, InTile(tile, QPoint(w, 10)), Qt::NoButton);
        // Then the pan's press, in the middle.
        centres.push_back(InTile(tile, QPoint(c.width() / 2, c.height() / 2)));
        Mouse(tile, QEvent::MouseButtonPress, centres.back(), Qt::LeftButton);
    }
    const double zoom = tiles.front()->Zoom().Factor();
    int step = 0;
    QTimer pan;
    QObject::connect(&pan, &QTimer::timeout, [&] {
        ++step;
        const double phase = step * 0.05;
        const QPoint offset(static_cast<int>(std::lround(60 * std::sin(phase))), static_cast<int>(std::lround(30 * std::cos(phase))));
        for (size_t i = 0; i < tiles.size(); ++i)
            Mouse(tiles[i], QEvent::MouseMove, centres[i] + offset, Qt::LeftButton);
    });
    pan.start(10);
    Run(500);
    for (auto& log : logs)
        log->Start();
    const int64_t t0 = TileBench::NowNanos();
    const int steps0 = step;
    Run(seconds * 1000);
    const double wall = (TileBench::NowNanos() - t0) / 1e9;
    const int steps = step - steps0;
    for (auto& log : logs)
        log->Stop();
    pan.stop();
    std::vector<const TileBench::PaintLog*> all;
    for (auto& log : logs)
        all.push_back(log.get());
    const TileBench::Summary s = TileBench::Summarise(all, 1000.0 / kFps);
    for (CVideoPlayer* tile : tiles)
        delete tile;
    for (auto& videos : opened) {
        VideoList list{videos.front().get()};
        facade.StopVideos(&list);
    }
    std::printf("tile_zoom_pan_playing: 9 tiles of 640x360 at zoom %s, %d pan steps in %.1f s (one per %.1f ms)\n",
                TileBench::Fixed(zoom, 2).c_str(), steps, wall, 1000.0 * wall / std::max(1, steps));
    std::printf("tile_zoom_pan_frames: %lld due, %lld painted, %lld within one period\n", static_cast<long long>(s.due),
                static_cast<long long>(s.painted), static_cast<long long>(s.onTime));
    std::printf("tile_zoom_pan_in_period_share: %s %% (goal >= 99 %%)\n",
                TileBench::Fixed(100.0 * s.onTime / std::max<int64_t>(1, s.due), 2).c_str());
}

// One paused 1280x720 camera in a tile whose picture is 1280x720.
void ZoomPaused()
{
    const QStringList files = TileBench::EvidenceFiles(1, 1280, 720, 30);
    FalFacade facade;
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(files.front(), QFileInfo(files.front()).absolutePath());
    Video* video = videos.front().get();
    QWidget window;
    window.resize(1300, 800);
    window.show();
    auto* tile = new CVideoPlayer(video, &facade, &window);
    const int strips = tile->CaptionBar()->sizeHint().height() + tile->StatusBar()->sizeHint().height();
    tile->setGeometry(0, 0, 1280, 720 + strips);
    tile->show();
    video->renderWindow = tile->Surface();
    facade.PlayVideo(video);
    Run(2000);
    facade.PauseVideo(video);
    Run(300);

    // The time from a wheel step to the end of the paint of the frame at the new view.
    CPtzPanel* panel = tile->Panel();
    int64_t stepAt = 0;
    int64_t shownAt = 0;
    double paint = 0;
    auto keep = panel->onPainted;
    panel->onPainted = [&](const TileSurface::Frame& frame, int64_t start, int64_t end) {
        if (shownAt == 0 && stepAt != 0 && frame.view == panel->View().source && frame.image.size() == panel->View().output) {
            shownAt = end;
            paint = (end - start) / 1e6;
        }
    };
    const QPoint at = InTile(tile, QPoint(640, 360));
    std::vector<double> latency;
    std::vector<double> paints;
    int timeouts = 0;
    for (int i = 0; i < 100; ++i) {
        shownAt = 0;
        stepAt = TileBench::NowNanos();
        Wheel(tile, at, (i / 4) % 2 == 0 ? 120 : -120);
        const int64_t limit = stepAt + 1000000000;
        while (shownAt == 0 && TileBench::NowNanos() < limit)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (shownAt == 0) {
            ++timeouts;
            continue;
        }
        latency.push_back((shownAt - stepAt) / 1e6);
        paints.push_back(paint);
    }
    panel->onPainted = keep;
    std::printf("tile_zoom_1280x720_step_to_screen_median: %s ms (goal <= 10 ms; %zu steps, %d not shown within 1 s)\n",
                TileBench::Fixed(TileBench::Median(latency), 2).c_str(), latency.size(), timeouts);
    std::printf("tile_zoom_1280x720_paint_median: %s ms (GUI thread, the zoomed frame 1:1)\n",
                TileBench::Fixed(TileBench::Median(paints), 3).c_str());

    // 200 zoom and pan steps on the paused camera.
    const int64_t decoded = facade.GetStats(video).framesDecoded;
    Mouse(tile, QEvent::MouseButtonPress, at, Qt::LeftButton);
    for (int i = 0; i < 100; ++i) {
        Wheel(tile, at, i % 20 < 10 ? 120 : -120);
        Mouse(tile, QEvent::MouseMove, at + QPoint(i % 7 * 5, i % 5 * 4), Qt::LeftButton);
        QApplication::processEvents();
    }
    Mouse(tile, QEvent::MouseButtonRelease, at, Qt::NoButton);
    Run(500);
    std::printf("tile_zoom_pan_paused_frames_decoded: %lld (goal 0; 200 steps)\n",
                static_cast<long long>(facade.GetStats(video).framesDecoded - decoded));
    delete tile;
    VideoList list{video};
    facade.StopVideos(&list);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    std::printf("tile_zoom_pan_platform: %s\n", qPrintable(QGuiApplication::platformName()));
    PanWhilePlaying(seconds);
    ZoomPaused();
    return 0;
}
