// Sixteen cameras in the real main window. The window is built as the player builds it (the
// application, its initial update with no file, the cabinet of the decoding library expanded
// into a temporary folder of its own) and sized to the screen; the grid is set to 4x4 and sixteen
// sample files of 640x360 at 25 fps are opened one after another, as a user opens them, each
// playing at 1x from its start. After 3 s for the indexes and views, 60 s are measured:
//
// - Frames painted within one frame period of their due time. A frame is due when the tile's
//   schedule says it should be on screen: at its played time on a schedule anchored at the frame
//   that arrived from the decoding library earliest against its played time (so one late start
//   does not make all later frames late, and the library's own lateness is counted). A frame
//   counts as on time when its first paint in the tile's video surface ended at most 40 ms after
//   it was due. Every frame index between the first and the last one a tile painted in the 60 s
//   is due, so frames the library dropped, and frames replaced in the surface before a paint took
//   them, count against the share.
// - CPU seconds per stream-second: the process's user and system time in the 60 s over 16 x the
//   seconds measured (the X server's work to show the window is its own, not counted).
// - Peak memory: VmHWM of the process at the end.
// - Error lines of the player's log (written in the working folder).
//
//   xvfb-run -a -s "-screen 0 1600x900x24" build/bench/e2e/bench_e2e_sixteen_tiles [SECONDS]
//
// With --hold (the close benchmark's child) the window stays open with the sixteen tiles
// playing, in the home and working folder the caller made, until it is closed: "ready WINDOW"
// is written on standard output once every tile has shown frames.
//
// With --places FILE the window opens FILE as the player opens its command line's file, sized to
// the screen, and writes where a user points to get sixteen of its cameras into a 4x4 grid: the
// caption's layout button, the 4x4 button of its pop-up, each camera's row in the navigator
// ("camera N X Y", from 2 on) and each cell of the 4x4 grid ("cell X Y W H"), all in screen
// coordinates. The close benchmark drives the player binary itself by those places.
#include "PlayerLog.h"
#include "TileBenchSupport.h"

#include "app/CMainFrame.h"
#include "app/CPlomeraApp.h"
#include "app/CPlomeraView.h"
#include "controls/CPlomeraBtnCtrl.h"
#include "events/ViewerMessageDispatch.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CViewTree.h"
#include "viewer/CLayoutSelectionDlg.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kTiles = 16;
constexpr int kFps = 25;
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kStreamSeconds = 90;  // the same files for the close benchmark's child

void Run(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunUntil(const std::function<bool()>& done, int millis)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > millis)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

double PeakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

// The sixteen files, made in a child process the first time, so that this process's peak
// memory is the player's alone.
QStringList Evidence()
{
    const pid_t pid = fork();
    if (pid == 0) {
        TileBench::EvidenceFiles(kTiles, kWidth, kHeight, kStreamSeconds);
        _exit(0);
    }
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return TileBench::EvidenceFiles(kTiles, kWidth, kHeight, kStreamSeconds);
}

CViewer* Viewer(CPlomeraApp& app) { return app.MainFrame()->View()->Viewer(); }

// Sixteen files into a 4x4 grid through the viewer's own messages; false when they did not all
// open and show frames.
bool OpenSixteen(CPlomeraApp& app, const QStringList& files, QStringList* messages)
{
    CViewer* viewer = Viewer(app);
    // A message box would wait for a click nobody gives: its text is kept instead.
    viewer->SetMessageBoxFunction([messages](const QString& text, const QString&, QMessageBox::StandardButtons,
                                             QMessageBox::Icon) {
        *messages << text;
        return QMessageBox::Ok;
    });
    SendViewerMessage<ViewerMessages::SetLayout>(viewer, static_cast<int>(CViewerCapabilities::Layout4x4));
    for (const QString& file : files) {
        SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer, file);
        QCoreApplication::processEvents();
    }
    return RunUntil(
        [viewer] {
            const auto players = viewer->Players();
            if (players.size() != kTiles)
                return false;
            for (CVideoPlayer* p : players) {
                if (p->Panel()->Surface().PresentedCount() == 0)
                    return false;
            }
            return true;
        },
        30000);
}

QPoint Middle(QWidget* w) { return w->mapToGlobal(w->rect().center()); }

// The places of --places, for the window the player made of its command line's file.
int WritePlaces(CPlomeraApp& app)
{
    CViewer* viewer = Viewer(app);
    CViewTree* tree = app.MainFrame()->Navigator()->Tree();
    if (!RunUntil([&] { return viewer->Players().size() == 1 && tree->findItems(QStringLiteral("Camera 16"), Qt::MatchExactly | Qt::MatchRecursive).size() == 1; },
                  30000)) {
        std::fprintf(stderr, "the file did not open with sixteen cameras\n");
        return 1;
    }
    Run(500);
    CViewerCaption* caption = viewer->Caption();
    const QPoint layout = Middle(caption->Control(CViewerCaption::kLayoutId));
    std::printf("layout %d %d\n", layout.x(), layout.y());
    caption->ToggleLayoutPopup();
    if (!RunUntil([caption] { return caption->LayoutPopup() && caption->LayoutPopup()->isVisible(); }, 5000))
        return 1;
    const QPoint four = Middle(caption->LayoutPopup()->Button(CViewerCapabilities::Layout4x4));
    std::printf("layout4x4 %d %d\n", four.x(), four.y());
    caption->ToggleLayoutPopup();
    for (int n = 2; n <= kTiles; ++n) {
        const auto items = tree->findItems(QStringLiteral("Camera %1").arg(n), Qt::MatchExactly | Qt::MatchRecursive);
        const QRect row = items.size() == 1 ? tree->visualItemRect(items.front()) : QRect();
        if (row.isEmpty() || !tree->viewport()->rect().contains(row)) {
            std::fprintf(stderr, "Camera %d has no row in sight\n", n);
            return 1;
        }
        const QPoint at = tree->viewport()->mapToGlobal(row.center());
        std::printf("camera %d %d %d\n", n, at.x(), at.y());
    }
    SendViewerMessage<ViewerMessages::SetLayout>(viewer, static_cast<int>(CViewerCapabilities::Layout4x4));
    Run(500);
    CViewerGridLayout* grid = viewer->Grid();
    for (const auto& cell : grid->Model().GetCells()) {
        const QRect r = grid->PlayerRect(*cell);
        const QPoint at = grid->mapToGlobal(r.topLeft());
        std::printf("cell %d %d %d %d\n", at.x(), at.y(), r.width(), r.height());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool hold = argc > 1 && std::strcmp(argv[1], "--hold") == 0;
    const bool places = argc > 2 && std::strcmp(argv[1], "--places") == 0;
    const int seconds = !hold && !places && argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server (xvfb-run -a -s \"-screen 0 1600x900x24\" ...)\n");
        return 2;
    }
    const QStringList files = places ? QStringList(QString::fromLocal8Bit(argv[2])) : Evidence();
    if (!places && files.size() != kTiles) {
        std::fprintf(stderr, "the samples could not be made\n");
        return 1;
    }
    // A home, temporary and working folder of its own (the caller's with --hold).
    std::unique_ptr<QTemporaryDir> own;
    if (!hold) {
        own = std::make_unique<QTemporaryDir>();
        const QDir dir(own->path());
        dir.mkpath(QStringLiteral("home/.config/Quorvane"));
        dir.mkpath(QStringLiteral("tmp"));
        dir.mkpath(QStringLiteral("run"));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile conf(dir.filePath(QStringLiteral("home/.config/Quorvane/Plomera.conf")));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[General]\nLogFlags=1\nMapTileServer=http://127.0.0.1:1/\nMapAvailabilityCheckUrl=http://127.0.0.1:1/\n");
        conf.close();
        qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("home/.config"))));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("home/.cache"))));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath(QStringLiteral("run"))));
        qputenv("TMPDIR", QFile::encodeName(dir.filePath(QStringLiteral("tmp"))));
        QDir::setCurrent(dir.path());
    } else if (!qEnvironmentVariableIsEmpty("PLOMERA_E2E_TMP")) {
        qputenv("TMPDIR", qgetenv("PLOMERA_E2E_TMP"));
    }
    qunsetenv("QT_QPA_PLATFORM");

    // The player's command line is read as files to open: it gets none, or the file of --places.
    char* appArgv[] = {argv[0], places ? argv[2] : nullptr, nullptr};
    int appArgc = places ? 2 : 1;
    CPlomeraApp app(appArgc, appArgv);
    std::setlocale(LC_NUMERIC, "C");
    if (!app.InitInstance())
        return 1;
    // No window manager maximises it: the whole screen by hand.
    app.MainFrame()->setGeometry(QGuiApplication::primaryScreen()->geometry());
    if (places)
        return WritePlaces(app);
    QStringList messages;
    const bool opened = OpenSixteen(app, files, &messages);
    for (const QString& m : messages)
        std::fprintf(stderr, "message box: %s\n", qPrintable(m));
    if (!opened) {
        std::fprintf(stderr, "%zu of %d tiles showed frames\n", Viewer(app)->Players().size(), kTiles);
        return 1;
    }
    Run(3000);  // indexes built, views set
    if (hold) {
        std::printf("ready %llu\n", static_cast<unsigned long long>(app.MainFrame()->winId()));
        std::fflush(stdout);
        return app.exec();
    }

    const std::vector<CVideoPlayer*> tiles = Viewer(app)->Players();
    std::vector<std::unique_ptr<TileBench::PaintLog>> logs;
    for (CVideoPlayer* tile : tiles)
        logs.push_back(std::make_unique<TileBench::PaintLog>(tile, static_cast<size_t>(seconds + 10) * kFps));
    for (auto& log : logs)
        log->Start();
    const double cpu0 = TileBench::ProcessCpuSeconds();
    const int64_t t0 = TileBench::NowNanos();
    Run(seconds * 1000);
    const double wall = (TileBench::NowNanos() - t0) / 1e9;
    const double cpu = TileBench::ProcessCpuSeconds() - cpu0;
    for (auto& log : logs)
        log->Stop();
    std::vector<const TileBench::PaintLog*> all;
    for (auto& log : logs)
        all.push_back(log.get());
    const TileBench::Summary s = TileBench::Summarise(all, 1000.0 / kFps);
    const QSize shown = tiles.front()->Panel()->size();
    const double peak = PeakMemoryMiB();

    app.MainFrame()->close();
    RunUntil([&app] { return !app.MainFrame()->isVisible(); }, 10000);
    const std::vector<std::string> errors =
        E2e::ReadPlayerLog(QDir::current().filePath(QStringLiteral("OmbrixPlayer.log")).toStdString()).errors;
    for (const std::string& e : errors)
        std::fprintf(stderr, "log: %s\n", e.c_str());

    std::printf("sixteen_tiles_run: %d tiles of %dx%d at %d fps in the main window's 4x4 grid, shown at %dx%d, %.1f s\n",
                kTiles, kWidth, kHeight, kFps, shown.width(), shown.height(), wall);
    std::printf("sixteen_tiles_frames: %lld due, %lld painted, %lld within one period\n", static_cast<long long>(s.due),
                static_cast<long long>(s.painted), static_cast<long long>(s.onTime));
    std::printf("sixteen_tiles_in_period_share: %s %% (goal >= 99 %%)\n",
                TileBench::Fixed(100.0 * s.onTime / std::max<int64_t>(1, s.due), 2).c_str());
    std::printf("sixteen_tiles_cpu_per_stream_second: %s s\n", TileBench::Fixed(cpu / (kTiles * wall), 4).c_str());
    std::printf("sixteen_tiles_peak_memory: %s MiB (VmHWM)\n", TileBench::Fixed(peak, 1).c_str());
    std::printf("sixteen_tiles_log_errors: %lld (goal 0)\n", static_cast<long long>(errors.size()));
    return 0;
}
