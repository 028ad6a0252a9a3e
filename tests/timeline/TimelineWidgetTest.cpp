// The time scale and the control bar on sample evidence: what the surface shows against the tag,
// what a cursor step repaints, drags, double-clicks and menus at the edges of the data, held
// scrolling, the state rows, loop and keys, both dialogs, and one real seek through the facade.
#include "controls/ResourceImage.h"
#include "driver/FrameSurface.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/CCoordinatorViewerTimeline.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "evidence/Camera.h"
#include "evidence/CustodyDigest.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "facade/FalFacade.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/CTimelineGoToDateTimeDlg.h"
#include "timeline/CTimelineLocalFileInfoDlg.h"
#include "timeline/CTimelineScrollBtnCtrl.h"
#include "timeline/TimelineActions.h"
#include "timeline/TimelineIds.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr int kFps = 10;

// Stands in for the viewer: keeps the messages of the scale and the bar, with their times.
class Recorder : public QObject {
public:
    struct Message {
        int number;
        qint64 time;
        quintptr w;
    };
    std::vector<Message> messages;
    std::function<void(qint64)> onSeek;

    bool event(QEvent* e) override
    {
        ViewerMessageEvent* m = ViewerMessageEvent::From(e);
        if (!m) {
            return QObject::event(e);
        }
        qint64 time = 0;
        if ((m->Message() == ViewerMessages::SeekToTime || m->Message() == ViewerMessages::AddBookmark
             || m->Message() == ViewerMessages::VisibleRangeChanged)
            && m->WParam() != 0) {
            time = *m->WPointer<qint64>();
        }
        messages.push_back({m->Message(), time, m->WParam()});
        if (m->Message() == ViewerMessages::SeekToTime && onSeek) {
            onSeek(time);
        }
        return true;
    }
    std::vector<Message> Of(int number) const
    {
        std::vector<Message> out;
        for (const Message& m : messages) {
            if (m.number == number) {
                out.push_back(m);
            }
        }
        return out;
    }
};

struct Sample {
    QTemporaryDir dir;
    QString path;
    FileTag tag;
    qint64 start = 0;
    qint64 end = 0;
    Sample()
    {
        SampleEvidenceOptions o;
        o.durationSeconds = 60;
        o.width = 320;
        o.height = 240;
        o.fps = kFps;
        o.gop = kFps;
        o.bookmarks = 2;
        path = SampleMaker::Make(dir.path(), o).value(0);
        tag.LoadFromFile(path);
        // The times as `info --json` gives them.
        const QJsonObject json = FileTagJson::Of(tag, true);
        start = static_cast<qint64>(json["startTime"].toDouble());
        end = static_cast<qint64>(json["endTime"].toDouble());
    }
};

Sample& TheSample()
{
    static Sample sample;
    return sample;
}

struct Bar {
    Recorder viewer;
    CCoordinatorViewerTimeline barEvents{&viewer};
    CCoordinatorPlomeraView viewEvents{&viewer};
    CTimeline timeline{&barEvents};
    Video video{std::make_unique<Camera>()};
    std::vector<Video*> videos{&video};
    CTimelineTrackBar* scale = timeline.TrackBar();
    QWidget* surface = scale->Surface();

    Bar()
    {
        timeline.SetViewEvents([this]() -> IPlomeraViewEvents* { return &viewEvents; });
        timeline.resize(1040, 100);
        timeline.show();
        QApplication::processEvents();
        video.playbackState = PlaybackState::Paused;
        timeline.SetVideos(&videos);
        const Sample& s = TheSample();
        timeline.SetTimeRange(s.start, s.end);
        timeline.SetBookmarks(&s.tag.Bookmarks());
        timeline.EnableControls(true, nullptr);
        timeline.EnableScrolling(true);
        Shot();
    }
    QImage Shot() { return surface->grab().toImage(); }
    const TimelineScale& S() const { return scale->Scale(); }
    // The first pixel whose time is t.
    int XOf(qint64 t) const
    {
        for (int x = 0; x < surface->width(); ++x) {
            if (S().TimeAtPixel(x) == t) {
                return x;
            }
        }
        return -1;
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        // The scale reads the pointer's place itself, as the system reports it.
        QCursor::setPos(surface->mapToGlobal(at));
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(at), QPointF(surface->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(surface, &e);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(surface, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(surface, &release);
    }
    // Runs the menu that the next right click opens: returns its texts and picks one (or none).
    QStringList RightClickMenu(QPoint at, int pick)
    {
        QStringList texts;
        // A timer of this call only: a menu that never opens leaves nothing armed behind.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QMenu* menu = scale->OpenMenu();
            if (!menu) {
                return;
            }
            texts << menu->objectName();
            for (QAction* a : menu->actions()) {
                if (!a->isSeparator()) {
                    texts << a->text();
                }
            }
            if (pick >= 0) {
                QList<QAction*> items;
                for (QAction* a : menu->actions()) {
                    if (!a->isSeparator()) {
                        items << a;
                    }
                }
                menu->setActiveAction(items.value(pick));
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        timer.start(0);
        Mouse(QEvent::MouseButtonPress, at, Qt::RightButton);
        Mouse(QEvent::MouseButtonRelease, at, Qt::RightButton);
        timer.stop();
        return texts;
    }
};

bool Near(QColor c, int r, int g, int b)
{
    return std::abs(c.red() - r) <= 12 && std::abs(c.green() - g) <= 12 && std::abs(c.blue() - b) <= 12;
}

} // namespace

TEST(TimelineWidgetTest, ShowsSpanMarksTicksAndCursorWhereTheTagPutsThem)
{
    Bar bar;
    const Sample& s = TheSample();
    const QImage shot = bar.Shot();
    const int h = bar.surface->height();
    const int y = h / 2 - 3;
    // The recorded span: half-transparent green over black, nothing outside it.
    EXPECT_TRUE(Near(shot.pixelColor(bar.S().ClippedPixel(s.start + 5), y), 0, 128, 0));
    EXPECT_TRUE(Near(shot.pixelColor(bar.S().ClippedPixel(s.start - 20), y), 0, 0, 0));
    EXPECT_TRUE(Near(shot.pixelColor(bar.S().ClippedPixel(s.end + 20), y), 0, 0, 0));
    // The bookmarks' marks: yellow over the green.
    ASSERT_EQ(s.tag.Bookmarks().size(), 2u);
    for (const auto& b : s.tag.Bookmarks()) {
        const QColor c = shot.pixelColor(bar.S().ClippedPixel(b->GetTime()) + 1, y);
        EXPECT_GT(c.red(), 100) << b->GetTime();
        EXPECT_GT(c.green(), 150);
    }
    // Ticks: a white line from the top at each tick's pixel inside the view.
    int ticksSeen = 0;
    for (const auto& tick : bar.S().Ticks()) {
        const int x = bar.S().ClippedPixel(tick.time);
        if (x > 2 && x < bar.surface->width() - 2) {
            EXPECT_GT(shot.pixelColor(x, h / 3 - 7).lightness(), 120) << tick.label.toStdString();
            ++ticksSeen;
        }
    }
    EXPECT_GE(ticksSeen, 2);
    // The cursor stands at the data start: its picture's middle column.
    const int cx = bar.S().ClippedPixel(s.start);
    EXPECT_EQ(shot.pixelColor(cx, 3), ResourceImage(563).Image().pixelColor(10, 3));
}

TEST(TimelineWidgetTest, ACursorStepRepaintsOnlyItsTwoRectanglesAndKeepsTheCachedLayer)
{
    Bar bar;
    const Sample& s = TheSample();
    QTest::qWait(20);
    const int builds = bar.scale->StaticLayerBuilds();
    const QRect before = bar.S().CursorPicture();
    bar.timeline.SetCursorTime(s.start + 30);
    const QRect after = bar.S().CursorPicture();
    ASSERT_FALSE(before.intersects(after));
    QTest::qWait(20);
    EXPECT_EQ(bar.scale->LastPaintRegion(), QRegion(before).united(after));
    // Frame-rate cursor updates move the picture between seconds and never rebuild the layer.
    for (int i = 1; i <= 10; ++i) {
        bar.timeline.SetCursorTimeMs((s.start + 10) * 1000 + i * 100);
        QTest::qWait(1);
    }
    QTest::qWait(20);
    EXPECT_EQ(bar.scale->StaticLayerBuilds(), builds);
    EXPECT_LE(bar.scale->LastPaintRegion().boundingRect().width(), 2 * 20 + 10);
}

TEST(TimelineWidgetTest, DragsPastTheEdgesSeekInsideAndTheReleaseAlwaysSeeks)
{
    Bar bar;
    const Sample& s = TheSample();
    const QPoint handle(bar.S().ClippedPixel(s.start), 4);
    bar.Mouse(QEvent::MouseButtonPress, handle, Qt::LeftButton);
    ASSERT_TRUE(bar.scale->IsDraggingCursor());
    for (int x = handle.x(); x < bar.surface->width() + 200; x += 7) {
        bar.Mouse(QEvent::MouseMove, QPoint(x, 4), Qt::LeftButton);
    }
    const size_t live = bar.viewer.Of(ViewerMessages::SeekToTime).size();
    EXPECT_GE(live, 1u);
    EXPECT_LT(live, 10u); // coalesced: at most one per 40 ms
    bar.Mouse(QEvent::MouseButtonRelease, QPoint(bar.surface->width() + 200, 4), Qt::LeftButton);
    auto seeks = bar.viewer.Of(ViewerMessages::SeekToTime);
    ASSERT_EQ(seeks.size(), live + 1);
    EXPECT_EQ(seeks.back().time, s.end);
    EXPECT_EQ(bar.S().CursorTime(), s.end);
    for (const auto& m : seeks) {
        EXPECT_GE(m.time, s.start);
        EXPECT_LE(m.time, s.end);
    }
    // Past the left edge: the data start. A video that is not paused or playing gets no live
    // seek, only the release's.
    bar.video.playbackState = PlaybackState::Opened;
    bar.Mouse(QEvent::MouseButtonPress, QPoint(bar.S().ClippedPixel(s.end), 4), Qt::LeftButton);
    bar.Mouse(QEvent::MouseMove, QPoint(-300, 4), Qt::LeftButton);
    bar.Mouse(QEvent::MouseButtonRelease, QPoint(-300, 4), Qt::LeftButton);
    seeks = bar.viewer.Of(ViewerMessages::SeekToTime);
    ASSERT_EQ(seeks.size(), live + 2);
    EXPECT_EQ(seeks.back().time, s.start);

    // A slow pan (one pixel a move) still moves the view; the view's times go the other way.
    const qint64 viewEnd = bar.S().ViewEnd();
    const QPoint empty(bar.surface->width() - 30, 6);
    bar.Mouse(QEvent::MouseButtonPress, empty, Qt::LeftButton);
    EXPECT_TRUE(bar.scale->IsPanning());
    for (int i = 1; i <= 40; ++i) {
        bar.Mouse(QEvent::MouseMove, empty + QPoint(i, 0), Qt::LeftButton);
    }
    bar.Mouse(QEvent::MouseButtonRelease, empty + QPoint(40, 0), Qt::LeftButton);
    EXPECT_FALSE(bar.scale->IsPanning());
    EXPECT_LT(bar.S().ViewEnd(), viewEnd);
    EXPECT_GE(viewEnd - bar.S().ViewEnd(), static_cast<qint64>(40 / bar.S().PixelsPerSecond()) - 1);
}

TEST(TimelineWidgetTest, DoubleClickAndMenusAtTheDataEdges)
{
    Bar bar;
    const Sample& s = TheSample();
    for (qint64 t : {s.start, s.end}) {
        const int x = bar.XOf(t);
        ASSERT_GE(x, 0);
        bar.Mouse(QEvent::MouseButtonDblClick, QPoint(x, 6), Qt::LeftButton);
        bar.Mouse(QEvent::MouseButtonRelease, QPoint(x, 6), Qt::LeftButton);
        EXPECT_EQ(bar.viewer.Of(ViewerMessages::SeekToTime).back().time, t);
        // No menu exactly at the data's start or end; no pan left behind by the right button.
        EXPECT_TRUE(bar.RightClickMenu(QPoint(x, 6), -1).isEmpty());
        EXPECT_FALSE(bar.scale->IsPanning());
    }
    bar.Mouse(QEvent::MouseButtonDblClick, QPoint(bar.XOf(s.start) - 5, 6), Qt::LeftButton);
    EXPECT_EQ(bar.viewer.Of(ViewerMessages::SeekToTime).size(), 2u);

    // On a bookmark: Details and the single-bookmark commands; Details raises EditBookmark.
    const auto& mark = s.tag.Bookmarks().front();
    const QPoint onMark(bar.S().ClippedPixel(mark->GetTime()) + 1, 6);
    EXPECT_EQ(bar.RightClickMenu(onMark, 0),
              QStringList({"365", "Details", "Seek to Bookmark", "Copy to Clipboard", "Print", "Delete"}));
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::EditBookmark).size(), 1u);
    EXPECT_EQ(bar.viewer.Of(ViewerMessages::EditBookmark).front().w, reinterpret_cast<quintptr>(mark.get()));
    EXPECT_FALSE(bar.scale->IsPanning());
    // Elsewhere inside the data: "Add Bookmark" at the time under the pointer.
    const int x = bar.XOf(s.start + 3);
    EXPECT_EQ(bar.RightClickMenu(QPoint(x, 6), 0), QStringList({"366", "Add Bookmark"}));
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::AddBookmark).size(), 1u);
    EXPECT_EQ(bar.viewer.Of(ViewerMessages::AddBookmark).front().time, s.start + 3);

    // A null list is dropped: no mark is drawn any more.
    const int markX = bar.S().ClippedPixel(mark->GetTime()) + 1;
    const QColor withMark = bar.Shot().pixelColor(markX, bar.surface->height() / 2 - 3);
    bar.timeline.SetBookmarks(nullptr);
    const QColor without = bar.Shot().pixelColor(markX, bar.surface->height() / 2 - 3);
    EXPECT_NE(withMark, without);
    EXPECT_TRUE(Near(without, 0, 128, 0));
    EXPECT_EQ(bar.RightClickMenu(onMark, -1).value(0), "366");

    // After the last recording is closed nothing answers.
    bar.timeline.ClearData();
    const size_t count = bar.viewer.messages.size();
    bar.Mouse(QEvent::MouseButtonDblClick, QPoint(x, 6), Qt::LeftButton);
    EXPECT_TRUE(bar.RightClickMenu(QPoint(x, 6), -1).isEmpty());
    EXPECT_EQ(bar.viewer.messages.size(), count);
}

TEST(TimelineWidgetTest, HeldScrollMovesUntilReleaseOrLeaveAndSurvivesClosing)
{
    auto bar = std::make_unique<Bar>();
    CTimelineScrollBtnCtrl* right = bar->scale->ScrollButton(1);
    const qint64 end = bar->S().ViewEnd();
    QTest::mousePress(right, Qt::LeftButton);
    QTest::qWait(60);
    EXPECT_TRUE(bar->scale->IsScrolling());
    QTest::mouseRelease(right, Qt::LeftButton);
    EXPECT_FALSE(bar->scale->IsScrolling());
    const qint64 moved = bar->S().ViewEnd();
    EXPECT_GT(moved, end);
    QTest::qWait(30);
    EXPECT_EQ(bar->S().ViewEnd(), moved);

    CTimelineScrollBtnCtrl* left = bar->scale->ScrollButton(0);
    QTest::mousePress(left, Qt::LeftButton);
    EXPECT_LT(bar->S().ViewEnd(), moved);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(left, &leave);
    EXPECT_FALSE(bar->scale->IsScrolling());

    // Closed while held: the timer goes with the scale.
    QTest::mousePress(right, Qt::LeftButton);
    bar.reset();
    QTest::qWait(30);
}

TEST(TimelineWidgetTest, StateRowsLoopAndKeys)
{
    Bar bar;
    using namespace TimelineIds;
    const auto enabled = [&](int id) { return !bar.timeline.Button(id)->IsDisabled(); };
    struct Row {
        int state;
        bool next, forward, rewind, play;
        const char* tooltip;
    } rows[] = {{0, false, false, false, false, "Pause"}, {1, false, false, false, false, "Pause"},
                {2, false, false, true, true, "Play"},   {3, false, true, true, true, "Play"},
                {4, true, false, true, true, "Play"},    {5, true, true, true, true, "Pause"},
                {6, true, false, false, true, "Play"},   {7, true, false, true, true, "Play"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.state);
        bar.timeline.SetPlaybackState(r.state);
        EXPECT_EQ(enabled(NextFrame), r.next);
        EXPECT_EQ(enabled(PreviousFrame), r.next);
        EXPECT_EQ(enabled(FastForward), r.forward);
        EXPECT_EQ(enabled(FastRewind), r.rewind);
        EXPECT_EQ(enabled(PlayPause), r.play);
        EXPECT_EQ(bar.timeline.Button(PlayPause)->TooltipText(), QString::fromLatin1(r.tooltip));
    }
    bar.timeline.SetPlaybackState(4);
    QTest::mouseClick(bar.timeline.Button(PlayPause), Qt::LeftButton);
    bar.timeline.SetPlaybackState(5);
    QTest::mouseClick(bar.timeline.Button(PlayPause), Qt::LeftButton);
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::OnPlay).size(), 1u);
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::OnPause).size(), 1u);

    // A device without frame steps or fast play keeps those buttons off.
    Device device;
    bar.timeline.EnableControls(true, &device);
    bar.timeline.SetPlaybackState(5);
    EXPECT_FALSE(enabled(NextFrame));
    EXPECT_FALSE(enabled(FastRewind));
    EXPECT_FALSE(enabled(ExportSnapshot));
    EXPECT_TRUE(enabled(GoTo));
    bar.timeline.EnableControls(true, nullptr);

    // Loop: click checks it and raises OnLoop(1); SetLoop(false) unchecks silently.
    CTimelineBtnCtrl* loop = bar.timeline.Button(Loop);
    QTest::mouseClick(loop, Qt::LeftButton);
    EXPECT_TRUE(loop->IsCheckedState());
    EXPECT_EQ(loop->TooltipText(), "Exit Loop");
    bar.timeline.SetLoop(false);
    EXPECT_FALSE(loop->IsCheckedState());
    EXPECT_EQ(loop->TooltipText(), "Loop");
    QTest::mouseClick(loop, Qt::LeftButton);
    const auto loops = bar.viewer.Of(ViewerMessages::OnLoop);
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[0].w, 1u);
    EXPECT_EQ(loops[1].w, 1u);
    QTest::mouseClick(loop, Qt::LeftButton);
    EXPECT_EQ(bar.viewer.Of(ViewerMessages::OnLoop).back().w, 0u);
    EXPECT_EQ(loop->TooltipText(), "Loop");

    // Keys on the focused scale.
    const Sample& s = TheSample();
    bar.surface->setFocus();
    const qint64 span = bar.S().VisibleSpan();
    const qint64 end = bar.S().ViewEnd();
    bar.Key(Qt::Key_Right);
    EXPECT_EQ(bar.S().ViewEnd(), end + span / 10);
    bar.Key(Qt::Key_Plus);
    EXPECT_EQ(bar.S().VisibleSpan(), std::max<qint64>(60, span / 4));
    bar.Key(Qt::Key_Minus);
    EXPECT_EQ(bar.S().VisibleSpan(), std::max<qint64>(60, span / 4) * 4);
    bar.timeline.SetCursorTime(s.start + 10);
    const size_t seeks = bar.viewer.Of(ViewerMessages::SeekToTime).size();
    bar.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(bar.S().CursorTime(), s.start + 11);
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::SeekToTime).size(), seeks + 1);
    EXPECT_EQ(bar.viewer.Of(ViewerMessages::SeekToTime).back().time, s.start + 11);
    bar.Key(Qt::Key_PageDown);
    ASSERT_EQ(bar.viewer.Of(ViewerMessages::SeekToBookmark).size(), 1u);
    EXPECT_EQ(bar.S().CursorTime(), s.tag.Bookmarks().front()->GetTime());
    bar.Key(Qt::Key_C);
    EXPECT_EQ(bar.S().ViewStart() + bar.S().VisibleSpan() / 2, s.tag.Bookmarks().front()->GetTime());
    // Enter and Escape inside the bar change nothing.
    QTest::keyClick(&bar.timeline, Qt::Key_Return);
    QTest::keyClick(&bar.timeline, Qt::Key_Escape);
    EXPECT_TRUE(bar.timeline.isVisible());
}

TEST(TimelineWidgetTest, GoToAcceptsTheRecordingOnlyAndShowFileInfoShowsTheCamera)
{
    const Sample& s = TheSample();
    {
        CTimelineGoToDateTimeDlg dialog(s.start, s.end);
        dialog.show();
        const QDateTime start = QDateTime::fromSecsSinceEpoch(s.start);
        EXPECT_EQ(dialog.Calendar()->selectedDate(), start.date());
        EXPECT_EQ(dialog.TimePicker()->time(), start.time());
        QWidget* focus = dialog.focusWidget();
        EXPECT_TRUE(focus == dialog.TimePicker() || dialog.TimePicker()->isAncestorOf(focus));
        dialog.TimePicker()->setTime(start.time().addSecs(-1));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.Message()->isVisibleTo(&dialog));
        EXPECT_TRUE(dialog.Message()->text().startsWith("The chosen time is outside the recording ("));
        dialog.TimePicker()->setTime(start.time());
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Target(), s.start);
    }
    FalFacade facade;
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(s.path, QFileInfo(s.path).absolutePath());
    ASSERT_FALSE(videos.empty());
    Video* video = videos.front().get();
    // The end, through the viewer's function.
    qint64 sought = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CTimelineGoToDateTimeDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->TimePicker()->setTime(QDateTime::fromSecsSinceEpoch(s.end).time());
        dialog->accept();
    });
    EXPECT_EQ(TimelineActions::GoToSpecificTime(nullptr, video, [&](qint64 t) { sought = t; }), s.end);
    EXPECT_EQ(sought, s.end);
    EXPECT_EQ(TimelineActions::GoToSpecificTime(nullptr, nullptr, {}), 0);

    video->GetCamera()->SetName(",Lobby,");
    CTimelineLocalFileInfoDlg info(*video, {s.path});
    EXPECT_EQ(info.FieldText(TimelineIds::InfoCamera), "Lobby");
    EXPECT_EQ(info.FieldText(TimelineIds::InfoDevice), "Sample Recorder");
    EXPECT_EQ(info.FieldText(TimelineIds::InfoLocation), s.path);
    EXPECT_EQ(info.FieldText(TimelineIds::InfoStart), CTimelineLocalFileInfoDlg::LocaleText(s.start));
    QSignalSpy ready(&info, &CTimelineLocalFileInfoDlg::DigestReady);
    ASSERT_TRUE(ready.wait(20000));
    ASSERT_TRUE(info.Digest() && info.Digest()->complete);
    QProcess sha;
    sha.start("sha256sum", {s.path});
    sha.waitForFinished();
    EXPECT_EQ(info.Digest()->sha256File, QString::fromLatin1(sha.readAllStandardOutput()).section(' ', 0, 0));
    EXPECT_EQ(info.SaveReport(s.path), "The report cannot be written over an evidence file.");
    EXPECT_TRUE(info.SaveReport(s.dir.filePath("report.txt")).isEmpty());
    VideoList list{video};
    facade.StopVideos(&list);
}

TEST(TimelineWidgetTest, CloseInTheMiddleOfTheDigestsStopsAtOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.video");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 96; ++i) {
            f.write(block);
        }
    }
    Video video(std::make_unique<Camera>());
    auto file = std::make_unique<VideoFile>();
    file->path = path;
    video.SetVideoFile(std::move(file));
    auto dialog = std::make_unique<CTimelineLocalFileInfoDlg>(video, QStringList());
    dialog->show();
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->Digest().has_value());
    dialog.reset();
}

TEST(TimelineWidgetTest, ADoubleClicksTimeSoughtThroughTheFacadeShowsThatSecondsFrame)
{
    const Sample& s = TheSample();
    FalFacade facade;
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(s.path, QFileInfo(s.path).absolutePath());
    ASSERT_FALSE(videos.empty());
    Video* video = videos.front().get();
    FrameSurface surface;
    video->renderWindow = surface.Handle();
    VideoList list{video};
    facade.PlayVideos(&list);
    facade.PauseVideo(video);

    Bar bar;
    qint64 stamped = -1;
    bar.viewer.onSeek = [&](qint64 t) {
        facade.SeekVideo(video, t);
        const QImage rgb = facade.SaveSnapshot(video).convertToFormat(QImage::Format_RGB32);
        stamped = FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
    };
    const int x = bar.XOf(s.start + 17);
    ASSERT_GE(x, 0);
    bar.Mouse(QEvent::MouseButtonDblClick, QPoint(x, 6), Qt::LeftButton);
    EXPECT_EQ(stamped, 17 * kFps);
    facade.StopVideos(&list);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
