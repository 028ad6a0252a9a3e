// The viewer's layout change on real evidence: the refusals and the dewarp question with their
// exact texts, the players kept in order, a mode outside the table refused, and cameras that
// play on through a cycle of layouts without a port opened or released or a paused frame
// decoded again.
#include "TileTestSupport.h"

#include "driver/VdlLibrary.h"
#include "events/CCoordinatorViewerGrid.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/Video.h"
#include "facade/FalFacade.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/structPageInfo.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <atomic>
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

// The decoding library's table with its port and file calls counted.
namespace Counting {
std::atomic<int> acquired{0};
std::atomic<int> opened{0};
std::atomic<int> released{0};
int32_t AcquirePort(int32_t* port)
{
    ++acquired;
    return VdlLibrary::Adapter().AcquirePort(port);
}
int32_t OpenFile(int32_t port, const char* path)
{
    ++opened;
    return VdlLibrary::Adapter().OpenFile(port, path);
}
int32_t ReleasePort(int32_t port)
{
    ++released;
    return VdlLibrary::Adapter().ReleasePort(port);
}
VdlAdapter Table()
{
    VdlAdapter table = VdlLibrary::Adapter();
    table.AcquirePort = &AcquirePort;
    table.OpenFile = &OpenFile;
    table.ReleasePort = &ReleasePort;
    return table;
}
} // namespace Counting

struct Asked {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class ViewerLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        for (int i = 0; i < 5; ++i) {
            SampleEvidenceOptions o;
            o.durationSeconds = 30;
            o.width = 320;
            o.height = 180;
            o.fps = 25;
            o.gop = 25;
            o.bitRate = 800000;  // past the viewer's 2 MiB floor
            o.firstCamera = i + 1;
            const QString sub = folder->filePath(QString::number(i));
            QDir().mkpath(sub);
            paths.push_back(SampleMaker::Make(sub, o).value(0));
        }
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        table = Counting::Table();
        viewer = std::make_unique<CViewer>(nullptr, &table);
        viewer->resize(960, 640);
        viewer->show();
        viewer->SetMessageBoxFunction([this](const QString& text, const QString& caption,
                                             QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
            asked.push_back({text, caption, buttons, icon});
            return answer;
        });
    }
    void TearDown() override { viewer.reset(); }

    void Open(int count)
    {
        for (int i = 0; i < count; ++i) {
            SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), paths[static_cast<size_t>(i)]);
        }
    }
    void SetLayout(int mode) { SendViewerMessage<ViewerMessages::SetLayout>(viewer.get(), mode); }
    std::vector<CVideoPlayer*> InCells() const { return viewer->Grid()->PlayersInCells(); }

    static inline QTemporaryDir* folder = nullptr;
    static inline QStringList paths;
    VdlAdapter table;
    std::unique_ptr<CViewer> viewer;
    std::vector<Asked> asked;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
};

} // namespace

TEST_F(ViewerLayoutTest, OpenedFilesFillTheFirstEmptyCellsAndALayoutTooSmallIsRefused)
{
    Open(5);
    ASSERT_EQ(viewer->Players().size(), 5u);
    const std::vector<CVideoPlayer*> five = viewer->Players();
    EXPECT_EQ(InCells(), five);
    EXPECT_EQ(viewer->LayoutMode(), 6u);
    EXPECT_EQ(viewer->LayoutButtonPicture(), 359);
    // The tile in cell 1 closed: the next file's tile goes there.
    viewer->GridCoordinator()->CloseVideoPlayer(five[1]->GetVideo());
    EXPECT_EQ(viewer->Grid()->Model().CellAt(1)->player, nullptr);
    SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), paths[1]);
    EXPECT_NE(viewer->Grid()->Model().CellAt(1)->player, nullptr);
    // The pages hold the players in open order: the one opened last is last.
    const std::vector<CVideoPlayer*> open = viewer->GetAllVideoPlayersFromVideoPages();
    EXPECT_EQ(open.back(), viewer->Grid()->Model().CellAt(1)->player);
    ASSERT_EQ(open.size(), 5u);
    // The same file again: nothing.
    SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), paths[0]);
    EXPECT_EQ(viewer->Players().size(), 5u);
    EXPECT_TRUE(asked.empty());

    // The same mode: nothing. 2x2 cannot hold five: the refusal, and nothing changes.
    const std::vector<CVideoPlayer*> cellsBefore = InCells();
    SetLayout(6);
    SetLayout(3);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Selected Layout can't handle all the tiles currently open"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Info"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Information);
    EXPECT_EQ(viewer->LayoutMode(), 6u);
    EXPECT_EQ(viewer->Grid()->Model().CellCount(), 9);
    EXPECT_EQ(InCells(), cellsBefore);

    // "Custom 6x1" keeps all five, in their order, in cells 0 … 4.
    SetLayout(2);
    EXPECT_EQ(viewer->LayoutMode(), 2u);
    EXPECT_EQ(viewer->LayoutButtonPicture(), 366);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(viewer->Grid()->Model().CellAt(i)->player, open[static_cast<size_t>(i)]) << i;
        EXPECT_TRUE(open[static_cast<size_t>(i)]->isVisible());
    }
    EXPECT_EQ(viewer->Grid()->Model().CellAt(5)->player, nullptr);
    ASSERT_EQ(viewer->Pages().size(), 1u);
    EXPECT_EQ(viewer->Pages().front()->players, open);

    // Outside the table: refused, nothing changes, later opens still work.
    SetLayout(12);
    SetLayout(-1);
    EXPECT_EQ(viewer->LayoutMode(), 2u);
    EXPECT_EQ(InCells(), open);
    const QString closed = open[4]->GetVideo()->GetVideoFile()->path;
    viewer->GridCoordinator()->CloseVideoPlayer(open[4]->GetVideo());
    SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), closed);
    EXPECT_EQ(viewer->Grid()->PlayersInCells().size(), 5u);
    // "Custom 3x2" has three tiles: refused again.
    SetLayout(7);
    EXPECT_EQ(viewer->LayoutMode(), 2u);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(ViewerLayoutTest, DewarpQuestionCancelChangesNothingOkClosesTheDewarpTiles)
{
    Open(4);
    const std::vector<CVideoPlayer*> four = viewer->Players();
    ASSERT_EQ(four.size(), 4u);
    // Tile 2 shows a dewarp view.
    four[2]->GetVideo()->dewarpView = 1;
    answer = QMessageBox::Cancel;
    SetLayout(9);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Existing all dewarp views will be closed except main view"));
    EXPECT_EQ(asked[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(asked[0].icon, QMessageBox::Warning);
    EXPECT_EQ(viewer->LayoutMode(), 6u);
    EXPECT_EQ(viewer->LayoutButtonPicture(), 359);
    EXPECT_EQ(InCells(), four);
    EXPECT_EQ(viewer->Grid()->Model().CellCount(), 9);

    answer = QMessageBox::Ok;
    SetLayout(9);
    EXPECT_EQ(asked.size(), 2u);  // asked once per change
    EXPECT_EQ(viewer->LayoutMode(), 9u);
    EXPECT_EQ(viewer->LayoutButtonPicture(), 354);
    const std::vector<CVideoPlayer*> kept = {four[0], four[1], four[3]};
    EXPECT_EQ(viewer->Players(), kept);
    EXPECT_EQ(InCells(), kept);
    EXPECT_EQ(viewer->GetAllVideoPlayersFromVideoPages(), kept);
}

TEST_F(ViewerLayoutTest, CamerasPlayOnThroughACycleOfLayoutsAndAPausedOneDecodesNothing)
{
    SetLayout(3);
    Open(4);
    const std::vector<CVideoPlayer*> four = viewer->Players();
    ASSERT_EQ(four.size(), 4u);
    for (CVideoPlayer* p : four) {
        ASSERT_TRUE(WaitFor([p] { return p->Panel()->HeldFrame().frameIndex > 5; }));
    }
    Video* paused = four[3]->GetVideo();
    viewer->Facade().PauseVideo(paused);
    ASSERT_TRUE(WaitFor([&] { return paused->playbackState == PlaybackState::Paused; }));
    QTest::qWait(200);
    const int64_t pausedFrame = four[3]->Panel()->HeldFrame().frameIndex;
    const int64_t pausedDecoded = viewer->Facade().GetStats(paused).framesDecoded;
    std::vector<void*> surfaces;
    for (CVideoPlayer* p : four) {
        surfaces.push_back(p->GetVideo()->renderWindow);
    }
    const int acquired = Counting::acquired.exchange(0);
    Counting::opened = 0;
    Counting::released = 0;
    EXPECT_GE(acquired, 4);  // the four files, since the suite began

    for (const int mode : {6, 9, 2, 5, 3}) {
        SCOPED_TRACE(mode);
        std::vector<int64_t> before;
        for (CVideoPlayer* p : four) {
            before.push_back(p->Panel()->HeldFrame().frameIndex);
        }
        SetLayout(mode);
        ASSERT_EQ(viewer->LayoutMode(), static_cast<unsigned>(mode));
        EXPECT_EQ(InCells(), four);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(WaitFor([&] { return four[i]->Panel()->HeldFrame().frameIndex > before[i] + 2; }));
            EXPECT_EQ(four[i]->GetVideo()->renderWindow, surfaces[i]);
        }
        // The paused camera's frame is shown at the tile's new size without a decode.
        EXPECT_TRUE(WaitFor([&] {
            return four[3]->Panel()->HeldFrame().image.size() == four[3]->Panel()->size();
        }, 5000));
        EXPECT_EQ(four[3]->Panel()->HeldFrame().frameIndex, pausedFrame);
        EXPECT_EQ(viewer->Facade().GetStats(paused).framesDecoded, pausedDecoded);
    }
    EXPECT_EQ(Counting::acquired, 0);
    EXPECT_EQ(Counting::opened, 0);
    EXPECT_EQ(Counting::released, 0);
}

// A screenshot per mode with live tiles and at least one empty cell where the mode has room
// (into PLOMERA_TEST_SHOTS when it names a folder).
TEST_F(ViewerLayoutTest, EveryModeShowsItsTilesAndEmptyCells)
{
    for (unsigned mode = 0; mode < CViewerCapabilities::kModeCount; ++mode) {
        SCOPED_TRACE(mode);
        SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
        SetLayout(static_cast<int>(mode));
        ASSERT_EQ(viewer->LayoutMode(), mode);
        const int tiles = CViewerCapabilities::TileCount(mode);
        const int count = std::max(1, std::min(4, tiles - 1));
        Open(count);
        ASSERT_EQ(InCells().size(), static_cast<size_t>(count));
        for (CVideoPlayer* p : InCells()) {
            EXPECT_TRUE(WaitFor([p] { return p->Panel()->HeldFrame().frameIndex > 2; }));
        }
        QTest::qWait(100);
        TileTest::SaveShot(viewer->grab(), QStringLiteral("grid-mode-%1.png").arg(mode, 2, 10, QLatin1Char('0')));
    }
    EXPECT_TRUE(asked.empty());
}
