// Playback control on real evidence through the viewer's messages and the control bar: which
// tiles a command reaches, the bar following the selected camera, the speed steps and their
// limit, seeking all cameras, go-to, and loops that wrap each camera on its own time. Every
// frame carries its index, so a tile's held picture tells where its camera is.
#include "TileTestSupport.h"

#include "driver/VdlLibrary.h"
#include "events/ViewerMessageDispatch.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/CTimelineGoToDateTimeDlg.h"
#include "timeline/TimelineIds.h"
#include "events/CCoordinatorViewerGrid.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerStatusBar.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"

#include <gtest/gtest.h>

#include <array>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <chrono>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& condition, int millis = 15000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QTest::qWait(10);
    }
    return true;
}

constexpr int kFps = 25;
constexpr int kSeconds = 12;

class ViewerPlaybackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = kSeconds;
        o.width = 320;
        o.height = 180;
        o.fps = kFps;
        o.gop = kFps;
        o.bitRate = 4000000;  // past the 2 MiB floor
        o.cameras = 3;
        files = SampleMaker::MakeFiles(folder->filePath("pair"), o);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        ASSERT_EQ(files.size(), 3u);
        for (const SampleFile& f : files) {
            ASSERT_GE(QFileInfo(f.path).size(), 2097152);
            ASSERT_EQ(f.startTime, files[0].startTime);
        }
        start = files[0].startTime;
        end = files[0].endTime;
        table = VdlLibrary::Adapter();
        viewer = std::make_unique<CViewer>(nullptr, &table);
        viewer->resize(1000, 700);
        viewer->show();
        viewer->SetMessageBoxFunction(
            [](const QString&, const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) { return QMessageBox::Ok; });
        SendViewerMessage<ViewerMessages::SetLayout>(viewer.get(), static_cast<int>(CViewerCapabilities::Layout2x2));
    }
    void TearDown() override { viewer.reset(); }

    // Opens n files, the last one selected, and waits for every tile's first picture.
    void OpenTiles(size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), files[i].path);
        }
        ASSERT_EQ(viewer->Players().size(), n);
        for (size_t i = 0; i < n; ++i) {
            ASSERT_TRUE(WaitFor([&] { return Frame(Tile(i)) >= 0; })) << i;
        }
    }
    CVideoPlayer* Tile(size_t i) const { return viewer->Players().at(i); }
    Video* Cam(size_t i) const { return Tile(i)->GetVideo(); }
    QString Strip(size_t i) const { return Tile(i)->StatusBar()->State(); }
    template <int Message>
    void Send()
    {
        SendViewerMessage<Message>(viewer.get());
    }
    void Select(size_t i) { SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), Cam(i)); }
    void Seek(qint64 t) { SendViewerMessage<ViewerMessages::SeekToTime>(viewer.get(), t); }
    // The frame index the tile's held picture carries (the picture brought back to the stream's size).
    static int64_t Frame(CVideoPlayer* player)
    {
        const QImage held = player->Panel()->HeldImage();
        if (held.isNull())
            return -1;
        const QImage rgb = held.scaled(320, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
        return FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
    }
    // Whether the tile's picture moves on within a while (a frame already on its way when the
    // command came is let through first).
    static bool Moves(CVideoPlayer* player, int millis = 400)
    {
        QTest::qWait(100);
        const int64_t before = Frame(player);
        return WaitFor([&] { return Frame(player) != before; }, millis);
    }
    // Frames per second the tile shows over about a second.
    static double FrameRate(CVideoPlayer* player)
    {
        QElapsedTimer clock;
        const int64_t first = Frame(player);
        clock.start();
        QTest::qWait(1000);
        return static_cast<double>(Frame(player) - first) * 1000.0 / static_cast<double>(clock.elapsed());
    }

    static inline QTemporaryDir* folder = nullptr;
    static inline std::vector<SampleFile> files;
    qint64 start = 0;
    qint64 end = 0;
    VdlAdapter table;
    std::unique_ptr<CViewer> viewer;
};

} // namespace

TEST_F(ViewerPlaybackTest, SyncOffCommandsReachTheSelectedTileAndTheBarFollowsItSyncOnReachesAll)
{
    OpenTiles(2);
    ASSERT_EQ(viewer->Grid()->SelectedPlayer(), Tile(1));
    CTimeline* bar = viewer->Timeline();
    CTimelineBtnCtrl* playPause = bar->Button(TimelineIds::PlayPause);

    // The bar's pause reaches the selected tile only.
    playPause->click();
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Paused);
    EXPECT_EQ(Cam(0)->playbackState, PlaybackState::Playing);
    EXPECT_EQ(Strip(1), QStringLiteral("Paused"));
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));
    EXPECT_FALSE(Moves(Tile(1)));
    EXPECT_TRUE(Moves(Tile(0)));
    // The bar shows the paused camera it acts on, so the same button now resumes it.
    EXPECT_EQ(bar->PlaybackState(), 4);
    playPause->click();
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Playing);
    EXPECT_TRUE(Moves(Tile(1)));

    // Selecting the other tile shows its state; a step reaches it alone.
    Send<ViewerMessages::OnPause>();
    Select(0);
    EXPECT_EQ(bar->PlaybackState(), 5);
    Send<ViewerMessages::OnNextFrame>();
    EXPECT_EQ(Strip(0), QStringLiteral("Next Frame"));
    EXPECT_EQ(Strip(1), QStringLiteral("Paused"));

    // Sync all: every strip green, and pause and play reach both tiles.
    Send<ViewerMessages::OnPlay>();
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    EXPECT_TRUE(viewer->SyncAllOn());
    EXPECT_EQ(Tile(1)->StripColour(), CViewerGridLayout::SelectedStripColour());
    EXPECT_EQ(Tile(0)->StripColour(), CViewerGridLayout::SelectedStripColour());
    Send<ViewerMessages::OnPlay>();
    EXPECT_TRUE(Moves(Tile(0)) && Moves(Tile(1)));
    Send<ViewerMessages::OnPause>();
    EXPECT_EQ(Cam(0)->playbackState, PlaybackState::Paused);
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Paused);
    EXPECT_FALSE(Moves(Tile(0)));
    EXPECT_FALSE(Moves(Tile(1)));
    // A click in a tile keeps every strip green while the mode lasts.
    Select(1);
    EXPECT_EQ(Tile(0)->StripColour(), CViewerGridLayout::SelectedStripColour());

    // Off again: only the selected tile is green and commands reach it alone.
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), false);
    EXPECT_EQ(Tile(1)->StripColour(), CViewerGridLayout::SelectedStripColour());
    EXPECT_EQ(Tile(0)->StripColour(), CViewerGridLayout::UnselectedStripColour());
    Send<ViewerMessages::OnPlay>();
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Playing);
    EXPECT_EQ(Cam(0)->playbackState, PlaybackState::Paused);
}

// Pressed as the bar's buttons press: from paused, normal speed first, then 2x, 3x, 4x, and the
// press at step 4 (two to the fourth beyond the device's 8) back to normal speed; rewind while
// fast forwarding returns to true normal speed, not one library step slower.
TEST_F(ViewerPlaybackTest, FastForwardClimbsToTheDeviceLimitAndRewindLeavesFastForwardAtNormalSpeed)
{
    OpenTiles(1);
    ASSERT_EQ(Cam(0)->GetCamera()->GetDevice()->GetMaxSpeedMultiplier(), 8);
    Seek(start + 1);
    Send<ViewerMessages::OnPause>();
    const char* expected[] = {"Playback 1x",     "Fast Forward 2x", "Fast Forward 3x", "Fast Forward 4x",
                              "Playback 1x",     "Fast Forward 2x", "Fast Forward 3x"};
    for (const char* text : expected) {
        Send<ViewerMessages::OnFastForward>();
        EXPECT_EQ(Strip(0), QString::fromLatin1(text));
        EXPECT_EQ(viewer->Timeline()->PlaybackState(), static_cast<int>(Cam(0)->playbackState));
    }
    EXPECT_GT(FrameRate(Tile(0)), 1.5 * kFps);
    Send<ViewerMessages::OnFastRewind>();
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));
    EXPECT_EQ(Cam(0)->speedSteps, 1);
    EXPECT_LT(FrameRate(Tile(0)), 1.5 * kFps);
    // From normal speed the next press is a speed-up again, not a dead button.
    Send<ViewerMessages::OnFastForward>();
    EXPECT_EQ(Strip(0), QStringLiteral("Fast Forward 2x"));
}

TEST_F(ViewerPlaybackTest, SeekAllMovesTheTargetsToOneInstantAndGoToSeeksOnlyInsideTheRecording)
{
    OpenTiles(2);
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    Seek(start + 4);
    EXPECT_GE(viewer->CurrentPosition(), start + 4);
    EXPECT_LE(viewer->CurrentPosition(), start + 5);
    const auto near = [](int64_t frame, int64_t from) { return frame >= from && frame < from + 2 * kFps; };
    EXPECT_TRUE(WaitFor([&] { return near(Frame(Tile(0)), 4 * kFps) && near(Frame(Tile(1)), 4 * kFps); }))
        << Frame(Tile(0)) << " " << Frame(Tile(1));
    Send<ViewerMessages::OnPause>();
    QTest::qWait(200);
    // Started together, the two play apart by no more than half a second.
    EXPECT_LE(std::abs(Frame(Tile(0)) - Frame(Tile(1))), kFps / 2);

    // Without sync all only the selected camera moves; it plays from there.
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), false);
    const int64_t other = Frame(Tile(0));
    Seek(start + 8);
    EXPECT_TRUE(WaitFor([&] { return near(Frame(Tile(1)), 8 * kFps); }));
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Playing);
    EXPECT_EQ(Frame(Tile(0)), other);

    // Go to: a second past the end keeps the dialog open and seeks nothing; the start exactly
    // seeks the selected camera there and plays it.
    bool refused = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CTimelineGoToDateTimeDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->TimePicker()->setTime(QDateTime::fromSecsSinceEpoch(end + 1).time());
        dialog->accept();
        refused = dialog->isVisible();
        EXPECT_GE(Frame(Tile(1)), 8 * kFps);
        dialog->TimePicker()->setTime(QDateTime::fromSecsSinceEpoch(start).time());
        dialog->accept();
    });
    viewer->Timeline()->Button(TimelineIds::GoTo)->click();
    EXPECT_TRUE(refused);
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(1)) >= 0 && Frame(Tile(1)) < 2 * kFps; }));
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Playing);
    EXPECT_EQ(Frame(Tile(0)), other);
}

// Three cameras loop together: the first has no recorded end and is passed over, the second
// wraps at its own end while the selected third plays on far from its end, and no tile closes.
TEST_F(ViewerPlaybackTest, LoopingCamerasWrapEachOnItsOwnTimeAndACameraWithoutSpanIsPassedOver)
{
    OpenTiles(3);
    ASSERT_EQ(viewer->Grid()->SelectedPlayer(), Tile(2));
    Cam(0)->GetVideoFile()->endTime = 0;
    // Each camera loops on its own clock (sync all would put them on one): looping set on each,
    // the second near its end, the third near its start.
    for (size_t i = 0; i < 3; ++i) {
        Select(i);
        SendViewerMessage<ViewerMessages::OnLoop>(viewer.get(), true);
    }
    ASSERT_TRUE(viewer->LoopOn());
    Select(1);
    Seek(end - 3);
    Select(2);
    Seek(start + 2);
    ASSERT_TRUE(WaitFor([&] { return Cam(1)->wrapCounter == 1; }, 8000));
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(1)) >= 0 && Frame(Tile(1)) < 3 * kFps; }));
    EXPECT_EQ(viewer->LastWrapCount(), 1);
    EXPECT_EQ(Cam(2)->wrapCounter, 0);
    EXPECT_EQ(Cam(0)->wrapCounter, 0);
    EXPECT_LT(Frame(Tile(2)), 8 * kFps);
    // The position is the selected camera's, whatever wrapped.
    EXPECT_LT(viewer->CurrentPosition(), start + 8);
    EXPECT_EQ(viewer->Players().size(), 3u);
}

TEST_F(ViewerPlaybackTest, AtStepThreeALoopWrapsToTheStartAndRewindingWrapsToTheEndAndGoesOn)
{
    OpenTiles(1);
    viewer->Timeline()->Button(TimelineIds::Loop)->click();
    ASSERT_EQ(Cam(0)->loop, 1);
    Seek(start + 1);
    Send<ViewerMessages::OnFastForward>();
    Send<ViewerMessages::OnFastForward>();
    ASSERT_EQ(Strip(0), QStringLiteral("Fast Forward 3x"));
    ASSERT_TRUE(WaitFor([&] { return Cam(0)->wrapCounter == 1; }, 8000));
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(0)) >= 0 && Frame(Tile(0)) < 3 * kFps; }));

    Seek(start + 6);
    Send<ViewerMessages::OnFastRewind>();
    ASSERT_EQ(Strip(0), QStringLiteral("Rewinding 2x"));
    ASSERT_TRUE(WaitFor([&] { return Cam(0)->wrapCounter == 2; }, 8000));
    EXPECT_EQ(Cam(0)->playbackState, PlaybackState::Rewinding);
    ASSERT_TRUE(WaitFor([&] { return Frame(Tile(0)) > (kSeconds - 3) * kFps; }));
    const int64_t atEnd = Frame(Tile(0));
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(0)) >= 0 && Frame(Tile(0)) < atEnd - 5; }, 5000));
}

// The keys passed on by a tile do what the bar's buttons do, each only while its button can be
// pressed; the focused time scale keeps its own keys.
TEST_F(ViewerPlaybackTest, TransportKeysActAsTheBarsButtonsAndOnlyWhileThoseCanBePressed)
{
    OpenTiles(1);
    CVideoPlayer* tile = Tile(0);
    const auto key = [&](int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false) {
        QKeyEvent press(QEvent::KeyPress, k, modifiers, QString(), repeat);
        QApplication::sendEvent(tile, &press);
    };
    key(Qt::Key_Space);
    EXPECT_EQ(Strip(0), QStringLiteral("Paused"));
    key(Qt::Key_Space);
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));
    key(Qt::Key_K);
    EXPECT_EQ(Strip(0), QStringLiteral("Paused"));
    key(Qt::Key_L);
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));
    key(Qt::Key_L);
    EXPECT_EQ(Strip(0), QStringLiteral("Fast Forward 2x"));
    key(Qt::Key_L, Qt::NoModifier, true);
    key(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(Strip(0), QStringLiteral("Fast Forward 2x"));
    key(Qt::Key_J);
    EXPECT_EQ(Strip(0), QStringLiteral("Playback 1x"));

    // Frame steps repeat with the key.
    key(Qt::Key_K);
    QTest::qWait(100);
    const int64_t paused = Frame(tile);
    key(Qt::Key_Right);
    key(Qt::Key_Right, Qt::NoModifier, true);
    EXPECT_EQ(Strip(0), QStringLiteral("Next Frame"));
    EXPECT_TRUE(WaitFor([&] { return Frame(tile) == paused + 2; }, 3000)) << paused << " " << Frame(tile);
    key(Qt::Key_Left);
    EXPECT_EQ(Strip(0), QStringLiteral("Previous Frame"));
    EXPECT_TRUE(WaitFor([&] { return Frame(tile) == paused + 1; }, 3000)) << paused << " " << Frame(tile);

    // Rewinding: no next frame, as the bar has none; the focused time scale keeps its arrows.
    key(Qt::Key_Space);
    key(Qt::Key_J);
    EXPECT_EQ(Strip(0), QStringLiteral("Rewinding 2x"));
    key(Qt::Key_Right);
    EXPECT_EQ(Strip(0), QStringLiteral("Rewinding 2x"));
    key(Qt::Key_K);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(viewer->Timeline()->TrackBar()->Surface(), &left);
    EXPECT_EQ(Strip(0), QStringLiteral("Paused"));

    // Home and End: the recording's first and last frame.
    key(Qt::Key_End);
    EXPECT_TRUE(WaitFor([&] { return Frame(tile) >= kSeconds * kFps - kFps; })) << Frame(tile);
    key(Qt::Key_Home);
    EXPECT_TRUE(WaitFor([&] { return Frame(tile) >= 0 && Frame(tile) < kFps; })) << Frame(tile);

    // Without open cameras the buttons are off and so are the keys.
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(viewer.get(), &space);
    EXPECT_FALSE(space.isAccepted());
}

// Sync all plays every camera on one clock: joining keeps each camera's distance, steps and pauses
// keep the frames together, seeking all brings them to one frame, and a closed leader hands on.
TEST_F(ViewerPlaybackTest, SyncAllPlaysOnOneClockThatKeepsDistancesAndHandsOnTheLead)
{
    OpenTiles(3);
    // Three instants: each tile sought on its own (which plays it on), then paused.
    std::array<int64_t, 3> at{};
    for (size_t i = 0; i < 3; ++i) {
        Select(i);
        Seek(start + 2 + 3 * static_cast<qint64>(i));
        Send<ViewerMessages::OnPause>();
    }
    QTest::qWait(300);
    for (size_t i = 0; i < 3; ++i) {
        at[i] = Frame(Tile(i));
        ASSERT_GE(at[i], (2 + 3 * static_cast<int64_t>(i)) * kFps) << i;
        ASSERT_LT(at[i], (3 + 3 * static_cast<int64_t>(i)) * kFps) << i;
    }
    // Joining moves no picture; the selected camera leads.
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    EXPECT_EQ(viewer->ClockLeader(), Cam(2));
    QTest::qWait(200);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Frame(Tile(i)), at[i]) << i;
    }
    // A step moves every tile one frame, keeping the distances.
    Send<ViewerMessages::OnNextFrame>();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(WaitFor([&] { return Frame(Tile(i)) == at[i] + 1; })) << i << ": " << Frame(Tile(i));
    }
    // Seek all: one frame everywhere, and ten steps keep it so.
    Seek(start + 3);
    Send<ViewerMessages::OnPause>();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(WaitFor([&] { return Frame(Tile(i)) == Frame(Tile(2)) && Frame(Tile(2)) >= 3 * kFps; })) << i;
    }
    const int64_t paused = Frame(Tile(2));
    for (int step = 0; step < 10; ++step) {
        Send<ViewerMessages::OnNextFrame>();
    }
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(WaitFor([&] { return Frame(Tile(i)) == paused + 10; })) << i << ": " << Frame(Tile(i));
    }
    // Playing, the tiles stay within a frame of each other.
    Send<ViewerMessages::OnPlay>();
    QTest::qWait(600);
    Send<ViewerMessages::OnPause>();
    // Paused, every tile comes to the frame of the leader's clock (the leader's own picture may
    // trail its clock by a frame for a moment, on a busy machine longer).
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(0)) == Frame(Tile(2)) && Frame(Tile(1)) == Frame(Tile(2)); }, 3000))
        << Frame(Tile(0)) << " " << Frame(Tile(1)) << " " << Frame(Tile(2));

    // The leader's tile closes: the first follower leads and the other still follows it.
    Video* first = Cam(0);
    Video* second = Cam(1);
    viewer->GridCoordinator()->CloseVideoPlayer(Cam(2));
    EXPECT_EQ(viewer->ClockLeader(), first);
    ASSERT_EQ(viewer->Players().size(), 2u);
    ASSERT_EQ(Tile(0)->GetVideo(), first);
    const int64_t before = Frame(Tile(0));
    Send<ViewerMessages::OnNextFrame>();
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(0)) == before + 1 && Frame(Tile(1)) == before + 1; }))
        << Frame(Tile(0)) << " " << Frame(Tile(1));
    EXPECT_EQ(Tile(1)->GetVideo(), second);

    // Off: each camera has its own clock again.
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), false);
    EXPECT_EQ(viewer->ClockLeader(), nullptr);
    Select(1);
    Send<ViewerMessages::OnNextFrame>();
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(1)) == before + 2; }));
    QTest::qWait(100);
    EXPECT_EQ(Frame(Tile(0)), before + 1);
}

// "Sync All" on the bar brings every tile to the selected camera's instant, sync all mode or not;
// a camera opened while the tiles share one clock joins it at the leader's instant.
TEST_F(ViewerPlaybackTest, SyncAllButtonGathersTheTilesAndACameraOpenedUnderSyncAllFollowsTheClock)
{
    OpenTiles(2);
    for (size_t i = 0; i < 2; ++i) {
        Select(i);
        Seek(start + 2 + 5 * static_cast<qint64>(i));
        Send<ViewerMessages::OnPause>();
    }
    QTest::qWait(300);
    const int64_t selectedAt = Frame(Tile(1));
    ASSERT_GE(selectedAt, 7 * kFps);
    ASSERT_LT(Frame(Tile(0)), 3 * kFps);

    viewer->Timeline()->Button(TimelineIds::SyncAll)->click();
    EXPECT_EQ(Cam(0)->playbackState, PlaybackState::Playing);
    EXPECT_EQ(Cam(1)->playbackState, PlaybackState::Playing);
    // Both play on from the selected camera's second (the library's time has whole-second and
    // frame parts; the seek lands on the second).
    EXPECT_TRUE(WaitFor([&] { return Frame(Tile(0)) >= 7 * kFps && Frame(Tile(1)) >= 7 * kFps; }))
        << Frame(Tile(0)) << " " << Frame(Tile(1));
    Send<ViewerMessages::OnPause>(); // sync all is off: the selected tile pauses
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), Cam(0));
    Send<ViewerMessages::OnPause>();
    QTest::qWait(200);
    EXPECT_LE(std::llabs(Frame(Tile(0)) - Frame(Tile(1))), kFps / 2);
    EXPECT_GE(viewer->CurrentPosition(), start + 7);

    // Under sync all the third camera opens at its start and joins the clock at the leader's
    // instant: a step then shows one frame in all three tiles.
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    Video* leader = viewer->ClockLeader();
    ASSERT_NE(leader, nullptr);
    Seek(start + 5);
    Send<ViewerMessages::OnPause>();
    SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), files[2].path);
    ASSERT_EQ(viewer->Players().size(), 3u);
    EXPECT_EQ(viewer->ClockLeader(), leader);
    ASSERT_TRUE(WaitFor([&] { return Frame(Tile(2)) >= 0; }));
    Send<ViewerMessages::OnPause>();
    Send<ViewerMessages::OnNextFrame>();
    const size_t lead = Tile(0)->GetVideo() == leader ? 0 : 1;
    EXPECT_TRUE(WaitFor([&] {
        return Frame(Tile(2)) == Frame(Tile(lead)) && Frame(Tile(0)) == Frame(Tile(1)) && Frame(Tile(0)) >= 5 * kFps;
    })) << Frame(Tile(0)) << " " << Frame(Tile(1)) << " " << Frame(Tile(2));
}

// The leader's tile closes while the group fast forwards, right after a seek all: the new leader
// plays on at normal speed from the group's instant (not from the frame it showed before the
// seek reached it), and every strip and the bar say so.
TEST_F(ViewerPlaybackTest, AHandOverWhileFastForwardingShowsNormalSpeedEverywhere)
{
    OpenTiles(3);
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    Seek(start + 2);
    Send<ViewerMessages::OnFastForward>();
    ASSERT_EQ(Cam(0)->playbackState, PlaybackState::FastForward);
    ASSERT_EQ(Strip(0), QStringLiteral("Fast Forward 2x"));
    Video* leader = viewer->ClockLeader();
    viewer->GridCoordinator()->CloseVideoPlayer(leader);
    ASSERT_EQ(viewer->Players().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Cam(i)->playbackState, PlaybackState::Playing) << i;
        EXPECT_EQ(Strip(i), QStringLiteral("Playback 1x")) << i;
    }
    EXPECT_EQ(viewer->Timeline()->PlaybackState(), static_cast<int>(PlaybackState::Playing));
    // One clock still: both tiles move at 1x together.
    Send<ViewerMessages::OnPause>();
    EXPECT_TRUE(WaitFor([&] { return std::llabs(Frame(Tile(0)) - Frame(Tile(1))) <= 1; }, 2000))
        << Frame(Tile(0)) << " " << Frame(Tile(1));
}

// Sync all turned off while the group plays: every camera goes on playing on its own clock, none
// stands still under a strip that says it plays.
TEST_F(ViewerPlaybackTest, SyncAllOffWhilePlayingLeavesEveryCameraPlaying)
{
    OpenTiles(3);
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), true);
    Seek(start + 2);
    ASSERT_EQ(viewer->Timeline()->PlaybackState(), static_cast<int>(PlaybackState::Playing));
    QTest::qWait(300);
    SendViewerMessage<ViewerMessages::SelectAllCameras>(viewer.get(), false);
    ASSERT_EQ(viewer->ClockLeader(), nullptr);
    std::array<int64_t, 3> at{};
    for (size_t i = 0; i < 3; ++i) at[i] = Frame(Tile(i));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(WaitFor([&] { return Frame(Tile(i)) >= at[i] + kFps / 2; }, 3000)) << i << ": " << at[i] << " " << Frame(Tile(i));
        EXPECT_EQ(Cam(i)->playbackState, PlaybackState::Playing) << i;
        EXPECT_EQ(Strip(i), QStringLiteral("Playback 1x")) << i;
    }
}
