// The grid window with real tiles (cameras without a decoder): painting, placement with and
// without 4:3, selection, tile swap by the strips, both navigator drop paths, and the tiles'
// requests passed on to the viewer through the coordinator.
#include "RecordingViewer.h"
#include "TileTestSupport.h"

#include "events/CCoordinatorViewerGrid.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/INavigatorDragSource.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QTest>

namespace {

struct DragSource : INavigatorDragSource {
    bool inProgress = false;
    NavigatorItem item;
    bool NavigatorDragInProgress() const override { return inProgress; }
    NavigatorItem NavigatorDragItem() const override { return item; }
    void EndNavigatorDrag() override { inProgress = false; }
};

class GridLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.SetCoordinator(&coordinator);
        grid.SetNavigatorDragSource(&drag);
        // Client 600 × 360: 3x3 cells of 200 × 120.
        grid.resize(602, 362);
        grid.show();
        for (int i = 0; i < 4; ++i) {
            videos.push_back(TileTest::MakeVideo(&device));
            players.push_back(new CVideoPlayer(videos.back().get(), nullptr, &grid));
            recorder.names[reinterpret_cast<quintptr>(videos.back().get())] = QStringLiteral("video%1").arg(i);
        }
    }

    // The centre of a cell, in screen coordinates.
    QPoint ScreenCentre(int cell) const
    {
        return grid.mapToGlobal(grid.PlayerRect(*grid.Model().CellAt(cell)).center());
    }
    QPoint GridCentre(int cell) const { return grid.PlayerRect(*grid.Model().CellAt(cell)).center(); }

    QStringList Delivered() const
    {
        QStringList out;
        for (const Delivery& d : recorder.deliveries) {
            out << QStringLiteral("%1 %2 %3").arg(d.message).arg(d.w, d.l);
        }
        return out;
    }

    Device device;
    RecordingViewer recorder;
    CCoordinatorViewerGrid coordinator{&recorder};
    DragSource drag;
    // Before the grid: its tiles (its children) read their cameras as they go.
    std::vector<std::unique_ptr<Video>> videos;
    CViewerGridLayout grid;
    std::vector<CVideoPlayer*> players;  // children of the grid
};

} // namespace

TEST_F(GridLayoutTest, PaintsBlackCellsWithGreyFramesAndTheEmptyTilePicture)
{
    grid.resize(604, 364);  // client 602 × 362: remainder columns and rows in no cell
    const QImage shot = grid.grab().toImage();
    const QColor frame(64, 64, 64);
    EXPECT_EQ(shot.pixelColor(1, 1), frame);               // cell 0's frame
    EXPECT_EQ(shot.pixelColor(1 + 200, 1 + 50), frame);    // cell 1's left edge
    EXPECT_EQ(shot.pixelColor(1 + 199, 1 + 50), frame);    // cell 0's right edge
    EXPECT_EQ(shot.pixelColor(1 + 3, 1 + 3), QColor(Qt::black));  // between frame and picture
    EXPECT_EQ(shot.pixelColor(1 + 601, 1 + 50), QColor(Qt::black));  // the remainder column
    // The picture fills (left + 5, top + 5, width − 7, height − 7): not black there.
    EXPECT_NE(shot.pixelColor(1 + 10, 1 + 10), QColor(Qt::black));
    EXPECT_NE(shot.pixelColor(1 + 197, 1 + 117), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(1 + 198, 1 + 118), QColor(Qt::black));
    TileTest::SaveShot(grid.grab(), QStringLiteral("grid-empty-3x3.png"));
}

TEST_F(GridLayoutTest, TilesetPlacesInTheCellOrItsFourByThreePartAndRejectsOtherIndexes)
{
    grid.Tileset(4, players[0]);
    EXPECT_TRUE(players[0]->isVisible());
    EXPECT_EQ(players[0]->Grid(), &grid);
    EXPECT_EQ(players[0]->geometry(), QRect(1 + 200, 1 + 120, 200, 120));
    EXPECT_THROW(grid.Tileset(9, players[1]), std::out_of_range);
    EXPECT_EQ(grid.PlayersInCells(), (ViewerGridModel::Players{players[0]}));

    // 4:3 on: placement, reposition and a later Tileset all use the fitted rectangle.
    grid.SetPreserveAspectRatio(true);
    EXPECT_EQ(players[0]->geometry(), QRect(1 + 200 + 20, 1 + 120, 160, 120));
    grid.Tileset(0, players[1]);
    EXPECT_EQ(players[1]->geometry(), QRect(1 + 20, 1, 160, 120));
    grid.resize(802, 362);
    EXPECT_EQ(players[1]->geometry().size(), QSize(160, 120));
    EXPECT_EQ(players[1]->geometry().left(), 1 + (266 - 160) / 2);

    grid.RemovePlayer(players[0]);
    EXPECT_FALSE(players[0]->isVisible());
    EXPECT_EQ(grid.FindCell(players[0]), nullptr);
}

TEST_F(GridLayoutTest, ClickSelectsTheTileUnderThePointOnlyWhenThereIsOne)
{
    grid.Tileset(0, players[0]);
    grid.Tileset(1, players[1]);
    grid.PlayerClicked(ScreenCentre(0));
    EXPECT_EQ(grid.SelectedPlayer(), players[0]);
    EXPECT_EQ(players[0]->StripColour(), QColor(86, 150, 100));
    grid.PlayerClicked(ScreenCentre(1));
    EXPECT_EQ(grid.SelectedPlayer(), players[1]);
    EXPECT_EQ(players[0]->StripColour(), QColor(210, 210, 210));
    EXPECT_EQ(players[1]->StripColour(), QColor(86, 150, 100));
    EXPECT_EQ(Delivered(), (QStringList{"1161 video0 0", "1161 video1 0"}));

    // An empty cell, or no cell: selection, strips and the viewer stay as they are.
    grid.PlayerClicked(ScreenCentre(5));
    grid.PlayerClicked(grid.mapToGlobal(QPoint(2000, 10)));
    EXPECT_EQ(grid.SelectedPlayer(), players[1]);
    EXPECT_EQ(players[1]->StripColour(), QColor(86, 150, 100));
    // While one tile is maximised a click changes nothing.
    grid.SetSingleTileMaximized(true);
    grid.PlayerClicked(ScreenCentre(0));
    EXPECT_EQ(grid.SelectedPlayer(), players[1]);
    EXPECT_EQ(recorder.deliveries.size(), 2u);
    // A removed tile is no longer the selected one.
    grid.RemovePlayer(players[1]);
    EXPECT_EQ(grid.SelectedPlayer(), nullptr);
}

TEST_F(GridLayoutTest, DraggedByItsCaptionATileSwapsOrGoesBack)
{
    grid.Tileset(0, players[0]);
    grid.Tileset(1, players[1]);
    const auto dragTo = [&](CVideoPlayer* p, const QPoint& gridPoint) {
        QWidget* caption = p->CaptionBar();
        const QPoint start(10, 5);
        TileTest::SendMouse(caption, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        const QPoint target = caption->mapFromGlobal(grid.mapToGlobal(gridPoint));
        TileTest::SendMouse(caption, QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
        // The tile has followed the pointer: the same screen point, from where it is now.
        const QPoint release = caption->mapFromGlobal(grid.mapToGlobal(gridPoint));
        TileTest::SendMouse(caption, QEvent::MouseButtonRelease, release, Qt::LeftButton, Qt::NoButton);
        QTest::qWait(CViewerGridLayout::kSwapDelayMs + 40);
    };
    const QRect cell0 = grid.PlayerRect(*grid.Model().CellAt(0));
    // Off each of the four sides: back into its own cell, no swap with a first-row or
    // first-column cell.
    for (const QPoint off : {QPoint(-30, 60), QPoint(100, -30), QPoint(700, 60), QPoint(100, 400)}) {
        dragTo(players[0], off);
        EXPECT_EQ(players[0]->geometry(), cell0) << off.x() << "," << off.y();
        EXPECT_EQ(grid.FindCell(players[0]), grid.Model().CellAt(0));
    }
    // Onto its own cell: back.
    dragTo(players[0], GridCentre(0) + QPoint(30, 20));
    EXPECT_EQ(players[0]->geometry(), cell0);
    // Onto an empty cell: it moves there, its former cell is left empty.
    dragTo(players[0], GridCentre(7));
    EXPECT_EQ(grid.FindCell(players[0]), grid.Model().CellAt(7));
    EXPECT_EQ(grid.Model().CellAt(0)->player, nullptr);
    EXPECT_EQ(players[0]->geometry(), grid.PlayerRect(*grid.Model().CellAt(7)));
    EXPECT_EQ(grid.Model().Order(), (ViewerGridModel::Players{players[1], players[0]}));
    // Onto an occupied cell, at 4:3: the two exchange, each fitted to its new cell.
    grid.SetPreserveAspectRatio(true);
    dragTo(players[0], GridCentre(1));
    EXPECT_EQ(grid.FindCell(players[0]), grid.Model().CellAt(1));
    EXPECT_EQ(grid.FindCell(players[1]), grid.Model().CellAt(7));
    EXPECT_EQ(players[0]->geometry(), grid.PlayerRect(*grid.Model().CellAt(1)));
    EXPECT_EQ(players[1]->geometry(), grid.PlayerRect(*grid.Model().CellAt(7)));
    EXPECT_EQ(players[1]->geometry().width(), 160);
    // Maximised: the dragged tile takes the whole client area, nothing else moves.
    grid.SetSingleTileMaximized(true);
    dragTo(players[1], GridCentre(0));
    EXPECT_EQ(players[1]->geometry(), QRect(grid.ClientOrigin(), grid.ClientSize()));
    EXPECT_EQ(grid.FindCell(players[1]), grid.Model().CellAt(7));
    EXPECT_TRUE(recorder.deliveries.empty());
}

TEST_F(GridLayoutTest, NavigatorDropOnGridOrTileByReleaseOrQtDrop)
{
    grid.Tileset(0, players[0]);
    recorder.names[0] = QStringLiteral("none");
    // Nothing dragged: a release is an ordinary click.
    EXPECT_FALSE(grid.NavigatorDrop(ScreenCentre(3)));

    // A whole file released over an empty cell of the grid.
    drag.inProgress = true;
    drag.item = NavigatorItem{NavigatorItem::File, QStringLiteral("/evidence/a.video"), videos[1].get()};
    TileTest::SendMouse(&grid, QEvent::MouseButtonRelease, GridCentre(3), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(drag.inProgress);
    // A camera released over a tile: the tile hands the release to the grid.
    drag.inProgress = true;
    drag.item = NavigatorItem{NavigatorItem::Camera, QStringLiteral("/evidence/b.video"), videos[2].get()};
    TileTest::SendMouse(players[0], QEvent::MouseButtonRelease, QPoint(40, 40), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(drag.inProgress);
    // A camera by a Qt drop on cell 5.
    drag.inProgress = true;
    QMimeData mime;
    QDropEvent drop(QPointF(GridCentre(5)), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the grid's handler: the application's drop routing needs a drag manager.
    static_cast<QObject&>(grid).event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_FALSE(drag.inProgress);
    ASSERT_EQ(recorder.deliveries.size(), 3u);
    EXPECT_EQ(recorder.deliveries[0].message, 1156);
    EXPECT_EQ(recorder.deliveries[0].w, QStringLiteral("\"/evidence/a.video\""));
    EXPECT_EQ(recorder.deliveries[1].message, 1169);
    EXPECT_EQ(recorder.deliveries[2].message, 1169);
    EXPECT_EQ(grid.SelectedPlayer(), nullptr);  // the release was the drop, not a click
}

// What the cell and request of a drop are, checked without the recording viewer's naming.
TEST_F(GridLayoutTest, CameraDropCarriesTheRequestAndTheCellUnderThePoint)
{
    struct Catch : CCoordinatorViewerGrid {
        NavigatorItem item;
        structTileInfo* cell = reinterpret_cast<structTileInfo*>(1);
        void OpenVideoPlayer(NavigatorItem* request, structTileInfo* target) override
        {
            item = *request;
            cell = target;
        }
    } catching;
    grid.SetCoordinator(&catching);
    drag.inProgress = true;
    drag.item = NavigatorItem{NavigatorItem::Camera, QStringLiteral("/evidence/b.video"), videos[2].get()};
    EXPECT_TRUE(grid.NavigatorDrop(ScreenCentre(8)));
    EXPECT_EQ(catching.cell, grid.Model().CellAt(8));
    EXPECT_EQ(catching.item.video, videos[2].get());
    EXPECT_EQ(catching.item.path, QStringLiteral("/evidence/b.video"));
    // Released on the border, outside every cell: the request goes with no cell.
    drag.inProgress = true;
    EXPECT_TRUE(grid.NavigatorDrop(grid.mapToGlobal(QPoint(601, 361))));
    EXPECT_EQ(catching.cell, nullptr);
    grid.SetCoordinator(&coordinator);
}

TEST_F(GridLayoutTest, TileRequestsPassToTheViewerUnchanged)
{
    grid.Tileset(0, players[0]);
    grid.Tileset(4, players[1]);
    CVideoPlayer* tile = players[0];
    recorder.names[reinterpret_cast<quintptr>(grid.Model().CellAt(4))] = QStringLiteral("cell4");
    tile->Grid()->Coordinator()->HandleMouseMoveInFullScreenMode(QPoint(7, 8));
    TileTest::SendMouse(&grid, QEvent::MouseMove, QPoint(300, 20), Qt::NoButton, Qt::NoButton);
    grid.PlayerDoubleClicked(ScreenCentre(4));
    grid.PlayerDoubleClicked(grid.mapToGlobal(QPoint(2000, 2000)));
    tile->OnMenuCommand(32785);  // enable audio
    tile->OnMenuCommand(32784);  // disable audio
    tile->OnMenuCommand(32860);  // watermark
    IUIViewerGridEvents* events = tile->Grid()->Coordinator();
    events->RefreshVideoWindow();
    events->OpenDewarpView(videos[0].get(), QStringLiteral("PTZ"));
    events->DewarpDragMove(videos[0].get());
    events->DewarpDragStart(videos[0].get());
    const QPoint screen = grid.mapToGlobal(QPoint(300, 20));
    const QStringList expected = {
        "1160 7,8 0",
        QStringLiteral("1160 %1,%2 0").arg(screen.x()).arg(screen.y()),
        "1163 cell4 0",
        "1163 none 0",
        "1162 video0 0",
        "1165 video0 0",
        "1212 video0 0",
        "1206 0 0",
        "1209 video0 \"PTZ\"",
        "1210 video0 0",
        "1211 video0 0",
    };
    EXPECT_EQ(Delivered(), expected);
    // The close button: out of the cell, then 1148 with the tile's camera.
    emit tile->CaptionBar()->closeClicked();
    QTest::qWait(20);
    EXPECT_EQ(Delivered().last(), QStringLiteral("1148 video0 0"));
    EXPECT_EQ(grid.FindCell(tile), nullptr);
    EXPECT_FALSE(tile->isVisible());
}
