// scrub: a scripted 5 s drag of the time scale's cursor across a 720p file (1280x720, 25 fps,
// GOP 50, 60 s). The time scale raises its live seeks as a drag does in the player; the
// stand-in viewer answers each one during the drag with the keyframe seek and the release with
// the exact seek, as the player's viewer is to. Prints the pictures shown per second during the
// drag and the time from release to the exact frame on screen (median of many releases),
// beside the exact-seek median of the same file measured in the same run.
#include "BenchSupport.h"

#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "evidence/Camera.h"
#include "evidence/Video.h"
#include "timeline/CTimelineTrackBar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>
#include <random>

namespace {

// The viewer's part: keyframe seeks while the cursor is dragged, the exact seek otherwise.
class ScrubViewer : public QObject {
public:
    int32_t port = 0;
    CTimelineTrackBar* scale = nullptr;
    int64_t origin = 0;
    int liveSeeks = 0;
    int exactSeeks = 0;

    bool event(QEvent* e) override
    {
        ViewerMessageEvent* m = ViewerMessageEvent::From(e);
        if (!m) {
            return QObject::event(e);
        }
        if (m->Message() == ViewerMessages::SeekToTime && m->WParam()) {
            const qint64 t = *m->WPointer<qint64>();
            if (scale->IsDraggingCursor()) {
                VDL_SeekKeyframeWallClock(port, t * 1000);
                ++liveSeeks;
            } else {
                VDL_SeekPlayedTime(port, static_cast<int32_t>(t * 1000 - origin));
                ++exactSeeks;
            }
        }
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int32_t port = OpenBenchPort(Hd720Stream());
    CopySurface surface;
    VDL_SetSurface(port, surface.Handle());
    WaitForIndex(port);
    VDL_StreamInfo info = {};
    VDL_GetStreamInfo(port, &info);
    const qint64 start = info.wallClockOriginMillis / 1000;
    const qint64 end = (info.wallClockOriginMillis + info.durationMillis) / 1000;

    // The exact-seek median of this file, as vdl's seek benchmark measures it.
    std::mt19937 random(20211);
    std::uniform_int_distribution<int> second(0, static_cast<int>(info.durationMillis / 1000));
    std::vector<double> exact;
    for (int i = 0; i < 100; ++i) {
        const double t0 = NowMs();
        VDL_SeekPlayedTime(port, second(random) * 1000);
        exact.push_back(NowMs() - t0);
    }

    ScrubViewer viewer;
    CCoordinatorPlomeraView events(&viewer);
    CTimelineTrackBar scale;
    scale.SetViewEvents([&]() -> IPlomeraViewEvents* { return &events; });
    scale.resize(1920, 56);
    scale.show();
    QApplication::processEvents();
    Video video(std::make_unique<Camera>());
    video.playbackState = PlaybackState::Paused;
    std::vector<Video*> videos{&video};
    scale.SetVideos(&videos);
    scale.SetTimeRange(start, end);
    viewer.port = port;
    viewer.scale = &scale;
    viewer.origin = info.wallClockOriginMillis;
    QWidget* surfaceWidget = scale.Surface();
    const auto send = [&](QEvent::Type type, QPoint at) {
        QCursor::setPos(surfaceWidget->mapToGlobal(at));
        QMouseEvent e(type, QPointF(at), QPointF(surfaceWidget->mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton), Qt::NoModifier);
        QApplication::sendEvent(surfaceWidget, &e);
    };
    const auto handle = [&] { return scale.Scale().CursorHandle(surfaceWidget->height()).center(); };
    const auto xOf = [&](qint64 t) { return scale.Scale().ClippedPixel(t); };

    // The 5 s drag: a move every 10 ms (or as soon as the last one was handled) from the data
    // start to its end, placed by the time since the press.
    scale.SetCursorTime(start);
    const double dragMillis = 5000.0;
    const int64_t framesBefore = surface.frames.load();
    int move = 0;
    double dragStart = 0;
    double dragEnd = 0;
    QTimer dragTimer;
    QObject::connect(&dragTimer, &QTimer::timeout, [&] {
        if (move == 0) {
            dragStart = NowMs();
            send(QEvent::MouseButtonPress, handle());
        }
        const double progress = std::min(1.0, (NowMs() - dragStart) / dragMillis);
        const int x = xOf(start) + static_cast<int>((xOf(end) - xOf(start)) * progress);
        send(QEvent::MouseMove, QPoint(x, 4));
        ++move;
        if (progress >= 1.0) {
            dragEnd = NowMs();
            dragTimer.stop();
            app.quit();
        }
    });
    dragTimer.start(10);
    app.exec();
    const int64_t dragPictures = surface.frames.load() - framesBefore;
    const double dragSeconds = (dragEnd - dragStart) / 1000.0;
    send(QEvent::MouseButtonRelease, QPoint(xOf(end), 4));

    // Releases: short drags to random places; from the release to its exact frame on screen
    // (the viewer's seek returns once the frame was presented).
    std::vector<double> release;
    int wrong = 0;
    std::uniform_int_distribution<qint64> place(start + 1, end - 1);
    for (int i = 0; i < 40; ++i) {
        send(QEvent::MouseButtonPress, handle());
        const qint64 target = place(random);
        send(QEvent::MouseMove, QPoint(xOf(target) + 1, 4));
        const qint64 under = scale.Scale().TimeAtPixel(xOf(target) + 1);
        const double t0 = NowMs();
        send(QEvent::MouseButtonRelease, QPoint(xOf(target) + 1, 4));
        release.push_back(NowMs() - t0);
        const int64_t expected = std::min<int64_t>((under * 1000 - info.wallClockOriginMillis) / 40, info.frameCount - 1);
        if (surface.lastIndex.load() != expected) {
            ++wrong;
        }
        QApplication::processEvents();
    }
    std::printf("scrub_pictures_per_second: %s (goal >= 20; %lld pictures in %s s, %d moves, %d live seeks)\n",
                Fixed(static_cast<double>(dragPictures) / dragSeconds, 1).c_str(), static_cast<long long>(dragPictures),
                Fixed(dragSeconds, 2).c_str(), move, viewer.liveSeeks);
    std::printf("scrub_release_to_exact_frame_median: %s ms (goal <= exact-seek median %s ms; p95 %s ms, %d wrong frames of %zu)\n",
                Fixed(Percentile(release, 50), 1).c_str(), Fixed(Percentile(exact, 50), 1).c_str(),
                Fixed(Percentile(release, 95), 1).c_str(), wrong, release.size());
    VDL_SetSurface(port, nullptr);
    VDL_ReleasePort(port);
    return 0;
}
