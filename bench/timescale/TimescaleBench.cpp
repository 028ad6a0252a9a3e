// timescale: sixteen 640x360 cameras at 25 fps play through the facade into sixteen minimal
// tiles of this benchmark (the player's tile widget is not built yet: each tile here is a
// render surface that copies the newest frame and paints it 1:1), a 1920-pixel control bar
// below them, its cursor fed at 50 Hz from the first tile's newest frame, and scripted cursor
// drags, pans and zooms. Prints the scale's paint time (median, p99), input to paint (p95; by
// kind of input, and how many inputs changed nothing the scale draws, which have no paint to
// wait for) and the share of frames painted within one period of their due time.
#include "driver/FrameSurface.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/CCoordinatorViewerTimeline.h"
#include "evidence/Camera.h"
#include "facade/FalFacade.h"
#include "timeline/CTimeline.h"
#include "tools/sample/SampleMaker.h"
#include "vdl/vdl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <mutex>

namespace {

constexpr int kTiles = 16;
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kFps = 25;
constexpr double kPeriodMs = 1000.0 / kFps;

QElapsedTimer& Clock()
{
    static QElapsedTimer clock;
    return clock;
}

double NowMs()
{
    return static_cast<double>(Clock().nsecsElapsed()) / 1e6;
}

// A tile: the newest frame, one copy under one lock, one coalesced repaint.
class BenchTile : public QWidget {
public:
    BenchTile() : image_(kWidth, kHeight, QImage::Format_RGB32)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kWidth, kHeight);
        handle_.user = this;
        handle_.present = [](void* user, const VDL_Picture* picture) { static_cast<BenchTile*>(user)->Present(*picture); };
    }
    VDL_Surface* Handle() { return &handle_; }

    void Present(const VDL_Picture& picture)
    {
        const double arrived = NowMs();
        std::lock_guard lock(mutex_);
        if (picture.width == image_.width() && picture.height == image_.height()) {
            for (int y = 0; y < picture.height; ++y) {
                std::memcpy(image_.scanLine(y), picture.pixels + static_cast<ptrdiff_t>(y) * picture.stride,
                            static_cast<size_t>(picture.width) * 4);
            }
        }
        if (firstArrival_ < 0) {
            firstArrival_ = arrived;
            firstPlayed_ = picture.playedMillis;
        }
        if (pendingDue_ >= 0) {
            ++superseded_;  // replaced before it was painted
        }
        pendingDue_ = firstArrival_ + static_cast<double>(picture.playedMillis - firstPlayed_);
        newestWallClock_ = picture.wallClockMillis;
        ++presented_;
        if (!updatePosted_) {
            updatePosted_ = true;
            QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
        }
    }
    void Rebase()
    {
        std::lock_guard lock(mutex_);
        firstArrival_ = -1;
        presented_ = painted_ = onTime_ = superseded_ = 0;
    }
    qint64 NewestWallClock()
    {
        std::lock_guard lock(mutex_);
        return newestWallClock_;
    }
    void Counts(qint64& presented, qint64& onTime)
    {
        std::lock_guard lock(mutex_);
        presented = presented_;
        onTime = onTime_;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        std::lock_guard lock(mutex_);
        updatePosted_ = false;
        p.drawImage(0, 0, image_);
        if (pendingDue_ >= 0) {
            ++painted_;
            if (NowMs() - pendingDue_ <= kPeriodMs) {
                ++onTime_;
            }
            pendingDue_ = -1;
        }
    }

private:
    VDL_Surface handle_ = {};
    std::mutex mutex_;  // guards the picture and the counters
    QImage image_;
    bool updatePosted_ = false;
    double firstArrival_ = -1;
    int64_t firstPlayed_ = 0;
    double pendingDue_ = -1;
    qint64 newestWallClock_ = 0;
    qint64 presented_ = 0;
    qint64 painted_ = 0;
    qint64 onTime_ = 0;
    qint64 superseded_ = 0;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

class NoViewer : public QObject {};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Clock().start();
    const int seconds = qEnvironmentVariableIntValue("TIMESCALE_BENCH_SECONDS") > 0
        ? qEnvironmentVariableIntValue("TIMESCALE_BENCH_SECONDS")
        : 30;
    QTemporaryDir dir;
    SampleEvidenceOptions o;
    o.cameras = kTiles;
    o.durationSeconds = seconds + 10;
    o.width = kWidth;
    o.height = kHeight;
    o.fps = kFps;
    o.gop = 50;
    const QStringList files = SampleMaker::Make(dir.path(), o);

    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    std::vector<BenchTile*> tiles;
    for (int i = 0; i < kTiles; ++i) {
        tiles.push_back(new BenchTile);
        grid->addWidget(tiles.back(), i / 4, i % 4);
    }
    NoViewer viewer;
    CCoordinatorViewerTimeline barEvents(&viewer);
    CCoordinatorPlomeraView viewEvents(&viewer);
    auto* bar = new CTimeline(&barEvents);
    bar->SetViewEvents([&]() -> IPlomeraViewEvents* { return &viewEvents; });
    bar->setFixedSize(1920, 100);
    grid->addWidget(bar, 4, 0, 1, 4, Qt::AlignLeft);
    window.show();

    FalFacade facade;
    FalFacade::OwnedVideos videos;
    VideoList list;
    for (int i = 0; i < kTiles; ++i) {
        FalFacade::OwnedVideos opened = facade.OpenVideoFile(files[i], QFileInfo(files[i]).absolutePath());
        for (auto& v : opened) {
            v->renderWindow = tiles[static_cast<size_t>(i)]->Handle();
            list.push_back(v.get());
            videos.push_back(std::move(v));
        }
    }
    const VideoFile* file = list.front()->GetVideoFile();
    std::vector<Video*> barVideos{list.front()};
    bar->SetVideos(&barVideos);
    bar->SetTimeRange(file->startTime, file->endTime);
    bar->SetBookmarks(&file->bookmarks);
    bar->EnableControls(true, nullptr);
    bar->EnableScrolling(true);
    for (Video* v : list) {
        facade.PlayVideo(v);
    }
    bar->SetPlaybackState(5);
    CTimelineTrackBar* scale = bar->TrackBar();
    QWidget* surface = scale->Surface();

    // Paint times and input-to-paint: the scale's own measure of each paint, and the time from
    // an input to the paint that follows it.
    std::vector<double> paintMs;
    std::vector<double> inputToPaint;
    double pendingInput = -1;
    const char* pendingKind = "";
    std::map<std::string, std::vector<double>> byKind;
    struct Watch : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && onPaint) {
                onPaint();
            }
            return false;
        }
    } watch;
    bool measuring = false;
    watch.onPaint = [&] {
        if (measuring && pendingInput >= 0) {
            inputToPaint.push_back(NowMs() - pendingInput);
            byKind[pendingKind].push_back(inputToPaint.back());
            pendingInput = -1;
        }
    };
    surface->installEventFilter(&watch);
    QTimer paintSampler;  // reads the scale's last paint time after each event loop turn
    qint64 lastSeenNanos = -1;
    QObject::connect(&paintSampler, &QTimer::timeout, [&] {
        if (measuring && scale->LastPaintNanos() != lastSeenNanos) {
            lastSeenNanos = scale->LastPaintNanos();
            paintMs.push_back(static_cast<double>(lastSeenNanos) / 1e6);
        }
    });
    paintSampler.start(0);

    // The cursor at 50 Hz from the first tile's newest frame.
    QTimer cursor;
    QObject::connect(&cursor, &QTimer::timeout, [&] {
        const qint64 wall = tiles.front()->NewestWallClock();
        if (wall > 0) {
            bar->SetCursorTimeMs(wall);
        }
    });
    cursor.start(20);

    // What the scale draws that an input can change: its view and its cursor. An input that
    // changes none of them (a press that only starts a pan, a release ending one, a zoom at its
    // limit) asks for no paint and has no paint to wait for; it is counted apart, not timed
    // against whichever paint comes next.
    int unchangedInputs = 0;
    const auto Drawn = [&] {
        const TimelineScale& s = scale->Scale();
        return std::make_tuple(s.ViewEnd(), s.VisibleSpan(), s.CursorPicture());
    };
    const auto Settle = [&](bool opened, const auto& before) {
        if (opened && pendingInput >= 0 && Drawn() == before) {
            pendingInput = -1;
            ++unchangedInputs;
        }
    };
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, const char* kind) {
        QCursor::setPos(surface->mapToGlobal(at));
        QMouseEvent e(type, QPointF(at), QPointF(surface->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
        const bool opens = pendingInput < 0;
        if (opens) {
            pendingInput = NowMs();
            pendingKind = kind;
        }
        const auto before = Drawn();
        QApplication::sendEvent(surface, &e);
        Settle(opens, before);
    };
    const auto key = [&](int k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        const bool opens = pendingInput < 0;
        if (opens) {
            pendingInput = NowMs();
            pendingKind = k == Qt::Key_Plus ? "zoom in" : k == Qt::Key_Minus ? "zoom out" : "centre";
        }
        const auto before = Drawn();
        QApplication::sendEvent(surface, &e);
        Settle(opens, before);
    };

    // Script: every 100 ms one step of a cycle of a cursor drag, a pan and a zoom in and out.
    int step = 0;
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        const int phase = step % 40;
        const int w = surface->width();
        const TimelineScale& s = scale->Scale();
        if (phase == 0) {
            const QRect handle = s.CursorHandle(surface->height());
            if (!handle.isEmpty()) {
                send(QEvent::MouseButtonPress, handle.center(), Qt::LeftButton, "drag press");
            }
        } else if (phase < 10) {
            send(QEvent::MouseMove, QPoint((w / 10) * phase, 4), Qt::LeftButton, "drag move");
        } else if (phase == 10) {
            send(QEvent::MouseButtonRelease, QPoint(w / 2, 4), Qt::LeftButton, "drag release");
        } else if (phase == 12) {
            send(QEvent::MouseButtonPress, QPoint(w - 40, 8), Qt::LeftButton, "pan press");
        } else if (phase < 22) {
            send(QEvent::MouseMove, QPoint(w - 40 - (phase - 12) * 30, 8), Qt::LeftButton, "pan move");
        } else if (phase == 22) {
            send(QEvent::MouseButtonRelease, QPoint(w - 40 - 300, 8), Qt::LeftButton, "pan release");
        } else if (phase == 25 || phase == 27) {
            key(Qt::Key_Plus);
        } else if (phase == 30 || phase == 32) {
            key(Qt::Key_Minus);
        } else if (phase == 35) {
            key(Qt::Key_C);
        }
        ++step;
    });

    // Warm up for 3 s, then measure.
    QTimer::singleShot(3000, [&] {
        for (BenchTile* t : tiles) {
            t->Rebase();
        }
        measuring = true;
        script.start(100);
    });
    QTimer::singleShot(3000 + seconds * 1000, &app, &QApplication::quit);
    app.exec();
    script.stop();
    cursor.stop();

    qint64 presented = 0;
    qint64 onTime = 0;
    for (BenchTile* t : tiles) {
        qint64 p = 0;
        qint64 o2 = 0;
        t->Counts(p, o2);
        presented += p;
        onTime += o2;
    }
    for (Video* v : list) {
        // One stop per file: each file has a device of its own.
        VideoList one{v};
        try {
            facade.StopVideos(&one);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    std::printf("timescale_paint_median: %.3f ms (goal <= 0.5 ms; %zu paints)\n", Percentile(paintMs, 0.5), paintMs.size());
    std::printf("timescale_paint_p99: %.3f ms (goal <= 3 ms)\n", Percentile(paintMs, 0.99));
    std::printf("timescale_input_to_paint_p95: %.1f ms (goal <= 50 ms; median %.1f, %zu inputs; %d inputs changed nothing drawn)\n",
                Percentile(inputToPaint, 0.95), Percentile(inputToPaint, 0.5), inputToPaint.size(), unchangedInputs);
    for (const auto& [kind, v] : byKind) {
        std::printf("  %-12s p50 %.1f ms, p95 %.1f ms, max %.1f ms (%zu)\n", kind.c_str(), Percentile(v, 0.5),
                    Percentile(v, 0.95), Percentile(v, 1.0), v.size());
    }
    std::printf("timescale_tiles_on_time: %.1f %% (goal >= 99 %%; %lld of %lld frames presented, %d tiles %dx%d@%d, %d s)\n",
                presented > 0 ? 100.0 * static_cast<double>(onTime) / static_cast<double>(presented) : 0.0,
                static_cast<long long>(onTime), static_cast<long long>(presented), kTiles, kWidth, kHeight, kFps, seconds);
    return 0;
}
