// An investigator's session on the real main window, under a real X server: the input goes in
// through the X server (xdotool) at the places the widgets report, pictures are taken of the
// whole screen (import), and what the session expects is read back from the widgets, the log and
// the command-line companion. The steps run in order and share one program, as a user's day does.
#include "app/CMainFrame.h"
#include "app/CPlomeraApp.h"
#include "app/CPlomeraView.h"
#include "bookmarks/CBookmarkCollector.h"
#include "bookmarks/CBookmarkListCtrl.h"
#include "evidence/Camera.h"
#include "evidence/CustodyDigest.h"
#include "evidence/FileTag.h"
#include "evidence/Video.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CViewTree.h"
#include <QCheckBox>
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/CTimelineGoToDateTimeDlg.h"
#include "timeline/TimelineIds.h"
#include "tools/sample/FrameStamp.h"
#include "viewer/CLayoutSelectionDlg.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "controls/CPlomeraBtnCtrl.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/SnapshotComposer.h"
#include "viewer/VideoPlayerMenuTable.h"
#include "viewer/WaterMarkerDlg.h"
#include "viewer/WatermarkReportSink.h"
#include "timeline/CTimelineExportSnapshotDlg.h"

#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineF>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <clocale>
#include <functional>
#include <map>
#include <memory>

namespace {

CPlomeraApp* app = nullptr;
QString outDir;    // screenshots
QString toolPath;  // plomera-evidence
int shotNumber = 0;

CMainFrame* Frame() { return app->MainFrame(); }
CViewer* Viewer() { return Frame()->View()->Viewer(); }

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a program while the session keeps handling its events (the program's input reaches the
// window through the X server and must be taken while it runs). Returns its standard output.
QByteArray Run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForStarted(5000)) << program.toStdString();
    WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
    if (exitCode) *exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

void X(const QStringList& args)
{
    Run(QStringLiteral("xdotool"), args);
    Wait(150);
}

QPoint At(QWidget* w, const QPoint& local) { return w->mapToGlobal(local); }
QPoint Middle(QWidget* w) { return At(w, w->rect().center()); }

void MoveTo(const QPoint& p) { X({"mousemove", QString::number(p.x()), QString::number(p.y())}); }
void Click(const QPoint& p, int button = 1)
{
    MoveTo(p);
    X({"click", QString::number(button)});
}
void DoubleClick(const QPoint& p)
{
    MoveTo(p);
    X({"click", "--repeat", "2", "--delay", "80", "1"});
}
// One xdotool run for the whole gesture: the drag runs its own loop from the first moves on, and
// the release must come while it does.
void Drag(const QPoint& from, const QPoint& to)
{
    QStringList args{"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"};
    for (int i = 1; i <= 10; ++i) {
        const QPoint p = from + (to - from) * i / 10;
        args << "sleep" << "0.1" << "mousemove" << QString::number(p.x()) << QString::number(p.y());
    }
    args << "sleep" << "0.4" << "mouseup" << "1";
    X(args);
    Wait(500);
}
// Keys go to the window under the pointer (no window manager gives focus): over the grid.
void Key(const QString& keys)
{
    MoveTo(Middle(Viewer()->Grid()));
    X({"key", keys});
}
void Type(const QString& text) { X({"type", "--delay", "30", text}); }

void Shot(const QString& name)
{
    Wait(300);
    const QString path = QDir(outDir).filePath(QStringLiteral("%1-%2.png").arg(++shotNumber, 2, 10, QLatin1Char('0')).arg(name));
    Run(QStringLiteral("import"), {"-window", "root", path});
    EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
}

QString Log()
{
    QFile f(QDir::current().filePath(QStringLiteral("OmbrixPlayer.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The frame index a tile's picture carries (brought back to the stream's size first).
int64_t Frame(CVideoPlayer* player)
{
    const QImage held = player->Panel()->HeldImage();
    if (held.isNull()) return -1;
    const QImage rgb = held.scaled(640, 360, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    return FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
}

QTreeWidgetItem* NavigatorRow(const QString& text)
{
    const auto items = Frame()->Navigator()->Tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.front();
}
// The camera row under a file's row.
QPoint CameraRow(const QString& file)
{
    QTreeWidgetItem* item = NavigatorRow(file);
    EXPECT_NE(item, nullptr) << file.toStdString();
    if (!item) return {};
    QTreeWidget* tree = Frame()->Navigator()->Tree();
    tree->expandItem(item);
    Wait(100);
    const QRect r = tree->visualItemRect(item->child(0));
    return tree->viewport()->mapToGlobal(r.center());
}

bool Showing(const QString& camera)
{
    for (CVideoPlayer* p : Viewer()->Players()) {
        if (p->GetVideo()->GetCamera()->GetName() == camera) return true;
    }
    return false;
}

QPushButton* ButtonLabelled(QWidget* window, const QString& text)
{
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->text().remove(QLatin1Char('&')) == text) return b;
    }
    return nullptr;
}

// Runs the answer once a modal window is up: dialogs run their own loop, so the session has to
// be waiting inside it.
void WhenModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(app);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

// Chooses a path through the next pop-up menu and its sub-menus, one item each, as the pointer would.
void WhenMenuPath(const QStringList& path)
{
    auto* timer = new QTimer(app);
    timer->setInterval(100);
    auto step = std::make_shared<int>(0);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, path, step, ticks] {
        if (++*ticks > 100) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no menu item " << path.value(*step).toStdString();
            return;
        }
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        if (*ticks == 100) {
            QStringList texts;
            for (QAction* a : menu->actions()) texts << a->text();
            ADD_FAILURE() << "menu holds " << texts.join(QStringLiteral(" | ")).toStdString();
            menu->close();
        }
        for (QAction* a : menu->actions()) {
            if (a->text() == path[*step]) {
                if (++*step == path.size()) {
                    timer->stop();
                    timer->deleteLater();
                }
                Click(menu->mapToGlobal(menu->actionGeometry(a).center()));
                return;
            }
        }
    });
    timer->start();
}

// Chooses an item of the next pop-up menu, as the pointer would.
void WhenMenu(const QString& item) { WhenMenuPath({item}); }

// SHA-256 of the recorded stream (the bytes before the sections and the tag), as custody reports it.
QString StreamDigest(const QString& path)
{
    FileTag tag;
    EXPECT_TRUE(tag.LoadFromFile(path)) << path.toStdString();
    return CustodyDigest::Compute(path, tag.StreamRegionEnd(), nullptr, {}).sha256Region;
}

QJsonObject Info(const QString& file)
{
    return QJsonDocument::fromJson(Run(toolPath, {"info", "--json", file})).object();
}

} // namespace

TEST(Session, Step01_StartInTheFolderOpensTheFirstFileAndListsTheRest)
{
    ASSERT_TRUE(WaitFor([] { return Viewer()->Players().size() == 1; }));
    ASSERT_TRUE(WaitFor([] { return Frame(Viewer()->Players()[0]) >= 0; }, 15000));
    EXPECT_EQ(Viewer()->Players()[0]->GetVideo()->GetCamera()->GetName(), QStringLiteral("Camera 1"));
    for (const char* file : {"camera_1.video", "camera_2.video", "camera_3.video", "camera_4.video"}) {
        QTreeWidgetItem* item = NavigatorRow(QString::fromLatin1(file));
        ASSERT_NE(item, nullptr) << file;
        EXPECT_EQ(item->childCount(), 1) << file;
    }
    EXPECT_TRUE(Log().contains(QStringLiteral("Video File Opened Successfully : ") + QDir::current().filePath(QStringLiteral("camera_1.video"))));
    Shot(QStringLiteral("start"));
}

TEST(Session, Step02_ThreeMoreCamerasFromTheNavigatorInTwoByTwo)
{
    DoubleClick(CameraRow(QStringLiteral("camera_2.video")));
    ASSERT_TRUE(WaitFor([] { return Viewer()->Players().size() == 2; })) << Viewer()->Players().size();

    // Camera 3 dragged onto an empty cell.
    CViewerGridLayout* grid = Viewer()->Grid();
    const structTileInfo* empty = nullptr;
    for (const auto& cell : grid->Model().GetCells()) {
        if (cell->player == nullptr) {
            empty = cell.get();
            break;
        }
    }
    ASSERT_NE(empty, nullptr);
    const QPoint target = grid->mapToGlobal(grid->PlayerRect(*empty).center());
    Drag(CameraRow(QStringLiteral("camera_3.video")), target);
    ASSERT_TRUE(WaitFor([] { return Showing(QStringLiteral("Camera 3")); }));
    const structTileInfo* dropped = grid->HitTest(grid->mapFromGlobal(target) - grid->ClientOrigin());
    ASSERT_TRUE(dropped && dropped->player);
    EXPECT_EQ(dropped->player->GetVideo()->GetCamera()->GetName(), QStringLiteral("Camera 3"));

    // Camera 3 is a fisheye: its panoramic view came with it. Four tiles for 2x2: that one goes.
    for (CVideoPlayer* p : Viewer()->Players()) {
        if (p->IsDewarpTile()) {
            Click(Middle(p->CaptionBar()->CloseButton()));
            break;
        }
    }
    ASSERT_TRUE(WaitFor([] { return Viewer()->Players().size() == 3; })) << Viewer()->Players().size();

    DoubleClick(CameraRow(QStringLiteral("camera_4.video")));
    ASSERT_TRUE(WaitFor([] { return Showing(QStringLiteral("Camera 4")); }));
    ASSERT_EQ(Viewer()->Players().size(), 4u);

    // 2x2 from the caption's layout pop-up.
    CViewerCaption* caption = Viewer()->Caption();
    Click(Middle(caption->Control(CViewerCaption::kLayoutId)));
    ASSERT_TRUE(WaitFor([&] { return caption->LayoutPopup() && caption->LayoutPopup()->isVisible(); }));
    Click(Middle(caption->LayoutPopup()->Button(CViewerCapabilities::Layout2x2)));
    ASSERT_TRUE(WaitFor([&] { return grid->Mode() == CViewerCapabilities::Layout2x2; }));
    for (CVideoPlayer* p : Viewer()->Players()) {
        ASSERT_TRUE(WaitFor([p] { return Frame(p) >= 0; }, 15000));
    }
    Shot(QStringLiteral("four-cameras-2x2"));
}

TEST(Session, Step03_SyncAllPlaysTheFourInStep)
{
    // Every camera under the controls ("Select All"), then all brought to the selected one's time.
    CTimeline* bar = Viewer()->Timeline();
    QCheckBox* all = Frame()->Navigator()->SelectAll();
    ASSERT_TRUE(all->isEnabled());
    Click(At(all, QPoint(8, all->height() / 2)));  // the box itself: the row is wider than its text
    ASSERT_TRUE(WaitFor([] { return Viewer()->SyncAllOn(); }));
    Click(Middle(bar->Button(TimelineIds::SyncAll)));
    if (bar->PlaybackState() != 5) Click(Middle(bar->Button(TimelineIds::PlayPause)));
    Wait(5000);
    Key(QStringLiteral("k"));
    Wait(800);
    std::vector<int64_t> frames;
    for (CVideoPlayer* p : Viewer()->Players()) frames.push_back(Frame(p));
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_GT(frames[0], 100);
    for (int64_t f : frames) EXPECT_EQ(f, frames[0]);
    Shot(QStringLiteral("in-step"));
}

TEST(Session, Step04_GoToATimeThenStepBackThreeAndForwardOne)
{
    WhenModal([](QWidget* modal) {
        auto* dlg = qobject_cast<CTimelineGoToDateTimeDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        dlg->TimePicker()->setTime(QTime(7, 9, 0));
        Shot(QStringLiteral("go-to"));
        dlg->accept();
        if (dlg->isVisible()) {
            ADD_FAILURE() << "go-to refused the time";
            dlg->reject();
        }
    });
    Key(QStringLiteral("ctrl+g"));
    // 07:09:00 is 60 s in (frame 1500); a seek plays on from there.
    CVideoPlayer* first = Viewer()->Players()[0];
    ASSERT_TRUE(WaitFor([first] { return Frame(first) >= 1500 && Frame(first) < 1600; }, 10000)) << Frame(first);
    Key(QStringLiteral("k"));
    Wait(800);
    const int64_t paused = Frame(first);
    for (CVideoPlayer* p : Viewer()->Players()) EXPECT_EQ(Frame(p), paused);
    // Arrow keys step the tile that has the keyboard: camera 1's, by a click.
    Click(Middle(first));
    for (int i = 0; i < 3; ++i) {
        Key(QStringLiteral("Left"));
        Wait(500);
    }
    Key(QStringLiteral("Right"));
    Wait(800);
    for (CVideoPlayer* p : Viewer()->Players()) EXPECT_EQ(Frame(p), paused - 2);
    Shot(QStringLiteral("stepped"));
}

namespace {
QString digestBefore;
const QString kBookmarkName = QStringLiteral("Red van");
}

TEST(Session, Step05_ABookmarkAddedEditedAndSavedLeavesTheStreamAlone)
{
    // The bookmark lands in the selected camera's file: camera 1's tile.
    const QString path = QDir::current().filePath(QStringLiteral("camera_1.video"));
    digestBefore = StreamDigest(path);
    ASSERT_FALSE(digestBefore.isEmpty());
    Click(Middle(Viewer()->Players()[0]));

    WhenModal([](QWidget* modal) {
        auto* name = modal->findChild<QLineEdit*>(QStringLiteral("7026"));
        auto* notes = modal->findChild<QPlainTextEdit*>(QStringLiteral("7025"));
        ASSERT_NE(name, nullptr);
        ASSERT_NE(notes, nullptr);
        name->clear();
        MoveTo(Middle(name));
        X({"click", "1"});
        Type(kBookmarkName);
        MoveTo(Middle(notes));
        X({"click", "1"});
        Type(QStringLiteral("Parks by the gate"));
        Shot(QStringLiteral("bookmark-add"));
        Click(Middle(ButtonLabelled(modal, QStringLiteral("OK"))));
    });
    Key(QStringLiteral("b"));
    CBookmarkListCtrl* list = Frame()->BookmarkPane()->List();
    QTreeWidgetItem* added = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        const auto found = list->findItems(kBookmarkName, Qt::MatchExactly);
        added = found.isEmpty() ? nullptr : found.front();
        return added != nullptr;
    }));

    // Edited from the pane: the notes grow.
    WhenModal([](QWidget* modal) {
        auto* notes = modal->findChild<QPlainTextEdit*>(QStringLiteral("7025"));
        ASSERT_NE(notes, nullptr);
        MoveTo(Middle(notes));
        X({"click", "1"});
        X({"key", "ctrl+End"});
        Type(QStringLiteral(", engine running"));
        Click(Middle(ButtonLabelled(modal, QStringLiteral("OK"))));
    });
    const QPoint row = list->viewport()->mapToGlobal(list->visualItemRect(added).center());
    Click(row);
    WhenMenu(QStringLiteral("Details"));
    Click(row, 3);
    Wait(500);
    EXPECT_TRUE(Frame()->Command(32822)->isEnabled());  // Save Bookmarks, something unsaved
    // Saved from the tool bar.
    QToolBar* tools = Frame()->findChild<QToolBar*>();
    ASSERT_NE(tools, nullptr);
    Click(Middle(tools->widgetForAction(Frame()->Command(32822))));
    ASSERT_TRUE(WaitFor([] { return !Frame()->Command(32822)->isEnabled(); }, 10000));
    Shot(QStringLiteral("bookmark-saved"));

    bool found = false;
    for (const QJsonValue& b : Info(path).value(QStringLiteral("bookmarks")).toArray()) {
        if (b.toObject().value(QStringLiteral("name")).toString() == kBookmarkName) {
            found = true;
            EXPECT_EQ(b.toObject().value(QStringLiteral("notes")).toString(), QStringLiteral("Parks by the gate, engine running"));
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(StreamDigest(path), digestBefore);
    // Nothing left beside the evidence but the log.
    for (const QString& name : QDir::current().entryList(QDir::Files)) {
        EXPECT_TRUE(name.endsWith(QLatin1String(".video")) || name.endsWith(QLatin1String(".log"))) << name.toStdString();
    }
}

namespace {

CVideoPlayer* PlayerOf(const QString& camera)
{
    for (CVideoPlayer* p : Viewer()->Players()) {
        if (!p->IsDewarpTile() && p->GetVideo()->GetCamera()->GetName() == camera) return p;
    }
    return nullptr;
}

// The first recorded second of the demo: frame n is shown n / 25 s after it.
const QDateTime kDemoStart(QDate(2021, 6, 5), QTime(7, 8, 0));

// Where the pixels of one outline colour lie in a picture: their centre and how many there are.
struct Spot {
    QPointF centre;
    int count = 0;
};
Spot Find(const QImage& picture, const std::function<bool(QRgb)>& colour)
{
    Spot s;
    double x = 0, y = 0;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < rgb.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(row));
        for (int col = 0; col < rgb.width(); ++col) {
            if (colour(line[col])) {
                x += col;
                y += row;
                ++s.count;
            }
        }
    }
    if (s.count > 0) s.centre = QPointF(x / s.count, y / s.count);
    return s;
}
bool Yellow(QRgb c) { return qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) < 40; }

// Dark text pixels in a band of a snapshot's transparent margin.
int TextPixels(const QImage& shot, const QRect& band)
{
    int n = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const QRgb c = shot.pixel(x, y);
            if (qAlpha(c) > 128 && qGray(c) < 100) ++n;
        }
    }
    return n;
}

} // namespace

TEST(Session, Step06_SnapshotsOfTheTickedCamerasShowTheFrameAndItsTexts)
{
    // Still paused where step 4 left the four: what each tile shows now is what its picture holds.
    std::map<QString, int64_t> shown;
    for (CVideoPlayer* p : Viewer()->Players()) shown[p->GetVideo()->GetCamera()->GetName()] = Frame(p);

    Click(Middle(Viewer()->Timeline()->Button(TimelineIds::ExportSnapshot)));
    ASSERT_TRUE(WaitFor([] { return Viewer()->SnapshotDialog() && Viewer()->SnapshotDialog()->isVisible(); }));
    CTimelineExportSnapshotDlg* dlg = Viewer()->SnapshotDialog();
    Wait(300);
    const QString folder = QDir(outDir).absoluteFilePath(QStringLiteral("../snapshots"));
    QLineEdit* edit = dlg->findChild<QLineEdit*>(QString::number(TimelineIds::SnapshotFolder));
    ASSERT_NE(edit, nullptr);
    Click(Middle(edit));
    X({"key", "ctrl+a"});
    Type(QDir::cleanPath(folder));
    // Camera 3 left out: its tick off by the keyboard, on its row.
    QListWidget* list = dlg->CameraList();
    ASSERT_EQ(list->count(), 4);
    QListWidgetItem* third = list->findItems(QStringLiteral("Camera 3"), Qt::MatchContains).value(0);
    ASSERT_NE(third, nullptr);
    Click(list->viewport()->mapToGlobal(list->visualItemRect(third).center()));
    X({"key", "space"});
    ASSERT_EQ(third->checkState(), Qt::Unchecked);
    Shot(QStringLiteral("snapshot-dialog"));

    QString told;
    WhenModal([&told](QWidget* modal) {
        for (QLabel* l : modal->findChildren<QLabel*>()) told += l->text();
        Click(Middle(ButtonLabelled(modal, QStringLiteral("OK"))));
    });
    Click(Middle(dlg->SnapshotButton()));
    ASSERT_TRUE(WaitFor([&told] { return !told.isEmpty(); }));
    EXPECT_TRUE(told.contains(QStringLiteral("Snapshots Generated"))) << told.toStdString();
    EXPECT_TRUE(Log().contains(QStringLiteral("All Snapshots saved successfully to : ") + QDir::cleanPath(folder)));

    // One picture a ticked camera, named by its number and its frame's second, showing that frame
    // between the camera's title and time above and the device's title below.
    const QFileInfoList pictures = QDir(folder).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    ASSERT_EQ(pictures.size(), 3);
    for (const QFileInfo& file : pictures) {
        SCOPED_TRACE(file.fileName().toStdString());
        const QStringList parts = file.completeBaseName().split(QLatin1Char('_'));
        ASSERT_GE(parts.size(), 5);
        const QString camera = QStringLiteral("Camera ") + parts[parts.size() - 3];
        ASSERT_TRUE(shown.count(camera)) << camera.toStdString();
        EXPECT_NE(camera, QStringLiteral("Camera 3"));
        const QImage shot(file.absoluteFilePath());
        ASSERT_FALSE(shot.isNull());
        const int h = shot.height() - 2 * SnapshotComposer::kMargin;
        const QImage picture = shot.copy(0, SnapshotComposer::kMargin, shot.width() < 640 ? shot.width() : 640, h)
                                   .scaled(640, 360, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_RGB32);
        const int64_t frame = FrameStamp::Read(picture.constBits(), picture.width(), picture.height(),
                                               static_cast<int>(picture.bytesPerLine()));
        EXPECT_EQ(frame, shown[camera]);
        const QString second = kDemoStart.addMSecs(frame * 40).toString(QStringLiteral("yyyyMMdd_HHmmss"));
        EXPECT_EQ(parts[parts.size() - 2] + QLatin1Char('_') + parts.back(), second);
        const int timeX = SnapshotComposer::TimeX(shot.width() > 640 ? 640 : shot.width());
        EXPECT_GT(TextPixels(shot, QRect(0, 0, timeX, SnapshotComposer::kMargin)), 20) << "camera title";
        EXPECT_GT(TextPixels(shot, QRect(timeX, 0, shot.width() - timeX, SnapshotComposer::kMargin)), 20) << "time";
        EXPECT_GT(TextPixels(shot, QRect(0, shot.height() - SnapshotComposer::kMargin, shot.width(), SnapshotComposer::kMargin)), 20)
            << "device title";
    }
    EXPECT_FALSE(dlg->isVisible());
}

TEST(Session, Step07_ThreeByThreeWithTheFisheyeAndThreePtzViewsAndAnOutlineDragged)
{
    CTimeline* bar = Viewer()->Timeline();
    CViewerGridLayout* grid = Viewer()->Grid();
    CViewerCaption* caption = Viewer()->Caption();
    Click(Middle(caption->Control(CViewerCaption::kLayoutId)));
    ASSERT_TRUE(WaitFor([&] { return caption->LayoutPopup() && caption->LayoutPopup()->isVisible(); }));
    Click(Middle(caption->LayoutPopup()->Button(CViewerCapabilities::Layout3x3)));
    ASSERT_TRUE(WaitFor([&] { return grid->Mode() == CViewerCapabilities::Layout3x3; }));

    // A tile's views are offered while it plays.
    if (bar->PlaybackState() != 5) Click(Middle(bar->Button(TimelineIds::PlayPause)));
    ASSERT_TRUE(WaitFor([bar] { return bar->PlaybackState() == 5; }));
    CVideoPlayer* fisheye = PlayerOf(QStringLiteral("Camera 3"));
    ASSERT_NE(fisheye, nullptr);
    QString warned;
    WhenModal([&warned](QWidget* modal) {
        for (QLabel* l : modal->findChildren<QLabel*>()) warned += l->text();
        Click(Middle(ButtonLabelled(modal, QStringLiteral("OK"))));
    });
    WhenMenuPath({QString::fromLatin1(VideoPlayerMenuTable::DewarpSubmenuText), QStringLiteral("360 Degree+3 PTZ")});
    Click(Middle(fisheye), 3);
    ASSERT_TRUE(WaitFor([] { return Viewer()->Players().size() == 8; })) << Viewer()->Players().size();
    EXPECT_TRUE(warned.contains(QStringLiteral("Existing all dewarp views will be closed except main view"))) << warned.toStdString();
    std::vector<CVideoPlayer*> views;
    for (CVideoPlayer* p : Viewer()->Players()) {
        if (p->IsDewarpTile()) views.push_back(p);
    }
    ASSERT_EQ(views.size(), 4u);
    for (CVideoPlayer* v : views) ASSERT_TRUE(WaitFor([v] { return !v->Panel()->HeldImage().isNull(); }, 10000));

    // Paused, so that only the drag changes the pictures.
    Key(QStringLiteral("k"));
    ASSERT_TRUE(WaitFor([bar] { return bar->PlaybackState() != 5; }));
    Wait(800);
    CPtzPanel* circle = views[0]->Panel();
    const Spot before = Find(circle->grab().toImage(), Yellow);
    ASSERT_GT(before.count, 30) << "the first PTZ's outline on the fisheye view";
    const QImage ptzBefore = views[1]->Panel()->grab().toImage();
    const QImage otherBefore = views[2]->Panel()->grab().toImage();
    Shot(QStringLiteral("fisheye-3ptz"));

    const QPoint from = circle->mapToGlobal(before.centre.toPoint());
    const QPoint by(50, 30);
    Drag(from, from + by);
    Wait(800);
    const Spot after = Find(circle->grab().toImage(), Yellow);
    ASSERT_GT(after.count, 30);
    const QPointF moved = after.centre - before.centre;
    EXPECT_LT(QLineF(moved, QPointF(by)).length(), 20.0) << moved.x() << "," << moved.y();
    EXPECT_NE(views[1]->Panel()->grab().toImage(), ptzBefore) << "the dragged PTZ looks elsewhere";
    EXPECT_EQ(views[2]->Panel()->grab().toImage(), otherBefore) << "the other PTZ stays";
    Shot(QStringLiteral("ptz-outline-dragged"));
}

TEST(Session, Step08_TheEncryptedCameraPlaysAndTheWatermarkWindowShowsCameraOnesRecord)
{
    CTimeline* bar = Viewer()->Timeline();
    CVideoPlayer* encrypted = PlayerOf(QStringLiteral("Camera 4"));
    ASSERT_NE(encrypted, nullptr);
    EXPECT_TRUE(Info(QDir::current().filePath(QStringLiteral("camera_4.video"))).value(QStringLiteral("encrypted")).toBool());
    if (bar->PlaybackState() != 5) Click(Middle(bar->Button(TimelineIds::PlayPause)));
    const int64_t start = Frame(encrypted);
    ASSERT_GE(start, 0);
    EXPECT_TRUE(WaitFor([&] { return Frame(encrypted) >= start + 25; }, 5000)) << start << " " << Frame(encrypted);

    // The watermark window belongs to one camera: the controls back on the selected one first.
    QCheckBox* all = Frame()->Navigator()->SelectAll();
    Click(At(all, QPoint(8, all->height() / 2)));
    ASSERT_TRUE(WaitFor([] { return !Viewer()->SyncAllOn(); }));
    // Then the window from camera 1's own menu.
    CVideoPlayer* first = PlayerOf(QStringLiteral("Camera 1"));
    ASSERT_NE(first, nullptr);
    Click(Middle(first));
    WhenMenu(QStringLiteral("Watermark"));
    Click(Middle(first), 3);
    WatermarkReportSink* sink = Viewer()->Watermarks();
    ASSERT_TRUE(WaitFor([sink] { return sink->Window() && sink->Window()->isVisible(); }));
    WaterMarkerDlg* window = sink->Window();
    const QString title = QStringLiteral("Watermark-") + first->GetVideo()->title;
    EXPECT_TRUE(WaitFor([&] { return window->windowTitle() == title && window->Text().contains(QStringLiteral("Channel:")); }, 10000))
        << window->windowTitle().toStdString() << " / " << window->Text().toStdString();
    Shot(QStringLiteral("watermark-window"));
    window->close();
}

TEST(Session, Step09_ClosingAsksOnlyForWhatIsUnsaved)
{
    // Nothing unsaved: closing every file asks nothing.
    ASSERT_FALSE(Frame()->Command(32822)->isEnabled());
    bool askedWhenSaved = false;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&askedWhenSaved] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            askedWhenSaved = true;
            if (QPushButton* no = ButtonLabelled(modal, QStringLiteral("No"))) no->click();
        }
    });
    watch.start();
    Click(Middle(Viewer()->Caption()->Control(CViewerCaption::kCloseAllId)));
    EXPECT_TRUE(WaitFor([] { return Viewer()->Players().empty(); }, 10000));
    Wait(1000);
    watch.stop();
    EXPECT_FALSE(askedWhenSaved);

    // Camera 1 again, and an unsaved bookmark: the question comes, and Yes writes it before the
    // program ends.
    DoubleClick(CameraRow(QStringLiteral("camera_1.video")));
    ASSERT_TRUE(WaitFor([] { return Viewer()->Players().size() == 1 && Frame(Viewer()->Players()[0]) >= 0; }, 15000));
    Click(Middle(Viewer()->Players()[0]));
    WhenModal([](QWidget* modal) { Click(Middle(ButtonLabelled(modal, QStringLiteral("OK")))); });
    Key(QStringLiteral("b"));
    ASSERT_TRUE(WaitFor([] { return Frame()->Command(32822)->isEnabled(); }));
    bool asked = false;
    WhenModal([&asked](QWidget* modal) {
        asked = modal->findChildren<QLabel*>().size() > 0;
        Shot(QStringLiteral("close-question"));
        X({"key", "Return"});  // Yes
    });
    Frame()->close();
    WaitFor([] { return !Frame()->isVisible(); }, 10000);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(Frame()->isVisible());
    const QString path = QDir::current().filePath(QStringLiteral("camera_1.video"));
    EXPECT_EQ(Info(path).value(QStringLiteral("bookmarks")).toArray().size(), 3 + 2);
    EXPECT_EQ(StreamDigest(path), digestBefore);
}

int main(int argc, char** argv)
{
    outDir = qEnvironmentVariable("PLOMERA_E2E_OUT");
    toolPath = qEnvironmentVariable("PLOMERA_E2E_TOOL");
    // The player reads its command line as files to open: it gets none, as when started in the
    // evidence folder; the test's own options come through the environment.
    int appArgc = 1;
    CPlomeraApp a(appArgc, argv);
    std::setlocale(LC_NUMERIC, "C");
    app = &a;
    if (!a.InitInstance()) return 1;
    // No window manager maximises it: the whole screen by hand.
    a.MainFrame()->setGeometry(QGuiApplication::primaryScreen()->geometry());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
