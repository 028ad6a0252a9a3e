// Tiles showing real sample evidence through the facade and the decoding library: frames reach
// the picture 1:1, the status follows real transport, zoom on a paused camera decodes nothing,
// and a tile destroyed while its camera plays lets go of it first.
#include "TileTestSupport.h"

#include "driver/FrameSurface.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "timeline/CTimeline.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CVideoPlayerStatusBar.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerGridLayout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

bool WaitFor(const std::function<bool()>& condition, int millis = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QTest::qWait(10);
    }
    return true;
}

int64_t Stamp(const QImage& image)
{
    if (image.width() != kWidth || image.height() != kHeight)
        return -1;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
}

class VideoPlayerPlaybackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = 20;
        o.width = kWidth;
        o.height = kHeight;
        o.fps = 25;
        o.gop = 25;
        file = SampleMaker::Make(folder->path(), o).value(0);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        videos = facade.OpenVideoFile(file, QFileInfo(file).absolutePath());
        ASSERT_FALSE(videos.empty());
        video = videos.front().get();
        window.resize(700, 500);
        window.show();
        tile = new CVideoPlayer(video, &facade, &window);
        tile->show();
        FitToFrame();
        video->renderWindow = tile->Surface();
    }
    void TearDown() override
    {
        delete tile;
        if (!videos.empty()) {
            VideoList list;
            for (auto& v : videos)
                list.push_back(v.get());
            facade.StopVideos(&list);
        }
    }

    // The container exactly the frame's size: the whole frame shown 1:1.
    void FitToFrame()
    {
        const int strips = tile->CaptionBar()->sizeHint().height() + tile->StatusBar()->sizeHint().height();
        tile->setGeometry(5, 5, kWidth, kHeight + strips);
        ASSERT_EQ(tile->Container()->size(), QSize(kWidth, kHeight));
    }

    int64_t HeldStamp() { return Stamp(tile->Panel()->HeldImage()); }
    int64_t Decoded() { return facade.GetStats(video).framesDecoded; }

    static QTemporaryDir* folder;
    static QString file;
    FalFacade facade;
    FalFacade::OwnedVideos videos;
    Video* video = nullptr;
    QWidget window;
    CVideoPlayer* tile = nullptr;
};

QTemporaryDir* VideoPlayerPlaybackTest::folder = nullptr;
QString VideoPlayerPlaybackTest::file;

} // namespace

TEST_F(VideoPlayerPlaybackTest, PlayingFramesArePaintedOneToOneAndTheStampAdvances)
{
    EXPECT_EQ(tile->StreamInfoText(), QString()) << "nothing before the first frame";
    facade.PlayVideo(video);
    ASSERT_TRUE(WaitFor([&] { return tile->Panel()->HeldFrameIsOneToOne() && HeldStamp() > 0; }));
    const int64_t first = HeldStamp();
    ASSERT_TRUE(WaitFor([&] { return HeldStamp() > first + 5; }));
    tile->UpdateStatus();
    // The tile's own picture carries the stamp too: a paint is the frame as it came.
    QApplication::processEvents();
    const QImage shown = tile->Container()->grab().toImage();
    EXPECT_GT(Stamp(shown), first);
    EXPECT_EQ(tile->StreamInfoText(), QStringLiteral("25fps, 320x240"));
    EXPECT_EQ(tile->StatusBar()->StateTooltip(), QStringLiteral("Video stream status: Playback 1x 25fps, 320x240"));
}

TEST_F(VideoPlayerPlaybackTest, StatusFollowsRealPauseFastForwardAndSteps)
{
    facade.PlayVideo(video);
    tile->UpdateStatus();
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Playback 1x"));
    facade.PauseVideo(video);
    tile->UpdateStatus();
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Paused"));
    facade.FrameNext(video);
    tile->UpdateStatus();
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Next Frame"));
    facade.FramePrevious(video);
    tile->UpdateStatus();
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Previous Frame"));
    facade.ResumeVideo(video);
    facade.FastForward(video, static_cast<float>(video->speedSteps));
    tile->UpdateStatus();
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Fast Forward 2x"));
}

TEST_F(VideoPlayerPlaybackTest, PausedZoomAndPanDecodeNothingAndTheFrameStays)
{
    facade.PlayVideo(video);
    ASSERT_TRUE(WaitFor([&] { return HeldStamp() > 10; }));
    facade.PauseVideo(video);
    QTest::qWait(200);
    const int64_t paused = HeldStamp();
    const int64_t decoded = Decoded();
    ASSERT_GT(paused, 0);

    const QPoint at = tile->Container()->mapTo(tile, QPoint(kWidth / 2, kHeight / 2));
    int steps = 0;
    for (int round = 0; steps < 200; ++round) {
        for (int i = 0; i < 5; ++i, ++steps)
            TileTest::SendWheel(tile, at, round % 2 == 0 ? 120 : -120);
        if (round % 2 == 0) {
            // Zoomed in: a few pan steps.
            TileTest::SendMouse(tile, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            for (int i = 0; i < 5; ++i, ++steps)
                TileTest::SendMouse(tile, QEvent::MouseMove, at + QPoint(3 * (i + 1), 2 * (i + 1)), Qt::NoButton, Qt::LeftButton);
            TileTest::SendMouse(tile, QEvent::MouseButtonRelease, at + QPoint(15, 10), Qt::LeftButton, Qt::NoButton);
        }
        QApplication::processEvents();
    }
    // Zoomed: the library presents the paused frame again at the new view.
    TileTest::SendWheel(tile, at, 120);
    TileTest::SendWheel(tile, at, 120);
    ASSERT_TRUE(tile->Zoom().IsZoomed());
    EXPECT_TRUE(WaitFor([&] {
        tile->Panel()->HeldFrame();
        return tile->Panel()->HeldFrameIsOneToOne();
    })) << "view " << tile->Panel()->View().source.x() << "," << tile->Panel()->View().source.y() << " "
        << tile->Panel()->View().source.width() << "x" << tile->Panel()->View().source.height() << " -> "
        << tile->Panel()->View().output.width() << "x" << tile->Panel()->View().output.height() << "; held "
        << tile->Panel()->HeldFrame().view.x() << "," << tile->Panel()->HeldFrame().view.y() << " "
        << tile->Panel()->HeldFrame().view.width() << "x" << tile->Panel()->HeldFrame().view.height() << " at "
        << tile->Panel()->HeldFrame().image.width() << "x" << tile->Panel()->HeldFrame().image.height();
    EXPECT_EQ(tile->Panel()->HeldFrame().frameIndex, paused);
    while (tile->Zoom().IsZoomed())
        TileTest::SendWheel(tile, at, -120);
    EXPECT_TRUE(WaitFor([&] { return HeldStamp() == paused && tile->Panel()->HeldFrameIsOneToOne(); }));
    EXPECT_EQ(Decoded(), decoded) << "zoom and pan never decode";
}

TEST_F(VideoPlayerPlaybackTest, ATileDestroyedMidPlayDetachesFirstAndTheCameraPlaysOn)
{
    facade.PlayVideo(video);
    ASSERT_TRUE(WaitFor([&] { return HeldStamp() > 0; }));
    delete tile;
    tile = nullptr;
    EXPECT_EQ(video->renderWindow, nullptr);
    EXPECT_EQ(video->playbackState, PlaybackState::Playing);
    // Another surface takes the camera over: it still plays.
    FrameSurface surface;
    facade.SetRenderSurface(video, surface.Handle());
    EXPECT_TRUE(surface.WaitForPresented(5, 5000));
    facade.SetRenderSurface(video, nullptr);
}

// The viewer plays an opened file's first camera in the grid's first cell; the grid lies between
// the caption and the control bar.
TEST(ViewerInterimTileTest, OpenedFilePlaysInTheFirstCellOfTheGrid)
{
    QTemporaryDir dir;
    SampleEvidenceOptions o;
    o.durationSeconds = 4;
    o.width = kWidth;
    o.height = kHeight;
    o.cameras = 2;
    o.channelsPerFile = 2;
    o.bitRate = 3000000;  // past the viewer's 2 MiB floor
    const QString path = SampleMaker::Make(dir.path(), o).value(0);
    CViewer viewer;
    viewer.resize(640, 480);
    viewer.show();
    SendViewerMessage<ViewerMessages::OpenLocalFile>(&viewer, path);
    ASSERT_EQ(viewer.Players().size(), 1u);
    CVideoPlayer* tile = viewer.Players().front();
    // The grid between the caption and the control bar, which keeps the bottom edge.
    const int top = viewer.Caption()->geometry().bottom() + 1;
    EXPECT_EQ(viewer.Grid()->geometry(), QRect(0, top, viewer.width(), viewer.Timeline()->geometry().top() - top));
    EXPECT_EQ(viewer.Grid()->FindCell(tile), viewer.Grid()->Model().CellAt(0));
    EXPECT_EQ(tile->geometry(), viewer.Grid()->PlayerRect(*viewer.Grid()->Model().CellAt(0)));
    EXPECT_EQ(viewer.Timeline()->geometry().bottom(), viewer.rect().bottom());
    EXPECT_EQ(tile->GetVideo(), viewer.Videos().front().get());
    EXPECT_EQ(tile->CaptionBar()->Title(), QStringLiteral("Camera 1"));
    EXPECT_TRUE(WaitFor([&] { return tile->Panel()->HeldFrame().frameIndex > 3; }));
    EXPECT_TRUE(WaitFor([&] { return !tile->CaptionBar()->TimeText().isEmpty(); }));
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(&viewer);
    EXPECT_TRUE(viewer.Players().empty());
}
