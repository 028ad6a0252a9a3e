// The grid's cells without a window: the layout table's cells at real client sizes, hit tests at
// the edges, 4:3 fitting, and the cell and order bookkeeping of Tileset, remove and reorder.
#include "viewer/ViewerGridModel.h"

#include <gtest/gtest.h>

#include <array>

namespace {

CVideoPlayer* Fake(int n)
{
    // Only compared, never dereferenced.
    return reinterpret_cast<CVideoPlayer*>(static_cast<quintptr>(0x1000 + 16 * n));
}

} // namespace

TEST(ViewerGridModelTest, EveryModeTilesItsGridWithoutGapOrOverlapAtRealSizes)
{
    constexpr std::array<int, 12> kTiles = {1, 2, 6, 4, 2, 12, 9, 3, 12, 16, 3, 4};
    for (const QSize client : {QSize(1000, 601), QSize(1280, 720)}) {
        for (unsigned mode = 0; mode < CViewerCapabilities::kModeCount; ++mode) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " at " << client.width() << "x" << client.height());
            ViewerGridModel m;
            m.Build(mode);
            EXPECT_EQ(m.CellCount(), kTiles[mode]);
            EXPECT_EQ(CViewerCapabilities::TileCount(mode), kTiles[mode]);
            const int cw = client.width() / m.Columns();
            const int rh = client.height() / m.Rows();
            // Each pixel of the columns × rows area is in exactly one cell, found by the hit test.
            long long area = 0;
            for (int i = 0; i < m.CellCount(); ++i) {
                const QRect r = m.CellRect(*m.CellAt(i), client);
                area += static_cast<long long>(r.width()) * r.height();
                EXPECT_EQ(m.HitTest(r.topLeft(), client), m.CellAt(i));
                EXPECT_EQ(m.HitTest(r.bottomRight(), client), m.CellAt(i));
                for (int j = 0; j < i; ++j) {
                    EXPECT_FALSE(r.intersects(m.CellRect(*m.CellAt(j), client))) << "cells " << j << " and " << i;
                }
            }
            EXPECT_EQ(area, static_cast<long long>(cw) * m.Columns() * rh * m.Rows());
            // The remainder pixels belong to no cell.
            EXPECT_EQ(m.HitTest(QPoint(cw * m.Columns(), 0), client), nullptr);
            EXPECT_EQ(m.HitTest(QPoint(0, rh * m.Rows()), client), nullptr);
        }
    }
}

TEST(ViewerGridModelTest, ThreeByThreeAtOddSizeAndTheSpannedModes)
{
    ViewerGridModel m;
    m.Build(CViewerCapabilities::Layout3x3);
    const QSize client(1000, 601);
    EXPECT_EQ(m.CellRect(*m.CellAt(0), client), QRect(0, 0, 333, 200));
    EXPECT_EQ(m.CellRect(*m.CellAt(8), client), QRect(666, 400, 333, 200));
    // Column 999 and row 600 are in no cell; the right and bottom edges of a cell are the next's.
    EXPECT_EQ(m.HitTest(QPoint(999, 10), client), nullptr);
    EXPECT_EQ(m.HitTest(QPoint(10, 600), client), nullptr);
    EXPECT_EQ(m.HitTest(QPoint(333, 0), client), m.CellAt(1));
    EXPECT_EQ(m.HitTest(QPoint(332, 199), client), m.CellAt(0));
    EXPECT_EQ(m.HitTest(QPoint(0, 200), client), m.CellAt(3));
    // Negative coordinates count as 0 for the hit test; a dropped tile off the grid is in none.
    EXPECT_EQ(m.HitTest(QPoint(-50, -3), client), m.CellAt(0));
    EXPECT_EQ(m.HitTest(QPoint(500, -3), client), m.CellAt(1));
    EXPECT_EQ(m.DropTarget(QPoint(-1, 10), client), nullptr);
    EXPECT_EQ(m.DropTarget(QPoint(500, -1), client), nullptr);
    EXPECT_EQ(m.DropTarget(QPoint(1000, 10), client), nullptr);
    EXPECT_EQ(m.DropTarget(QPoint(10, 601), client), nullptr);
    EXPECT_EQ(m.DropTarget(QPoint(500, 300), client), m.CellAt(4));

    // "Custom 14x1" has twelve cells; "Custom 2x2" two side by side; "Custom 6x1" a 2×2 cell first.
    m.Build(CViewerCapabilities::LayoutCustom14x1);
    EXPECT_EQ(m.CellCount(), 12);
    EXPECT_EQ(m.CellRect(*m.CellAt(7), QSize(500, 500)), QRect(0, 300, 300, 200));
    m.Build(CViewerCapabilities::LayoutCustom2x2);
    EXPECT_EQ(m.CellRect(*m.CellAt(1), QSize(800, 600)), QRect(400, 0, 400, 600));
    m.Build(CViewerCapabilities::LayoutCustom6x1);
    EXPECT_EQ(m.CellRect(*m.CellAt(0), QSize(900, 600)), QRect(0, 0, 600, 400));

    // A value outside the table builds "1x1" and counts no tiles.
    m.Build(12);
    EXPECT_EQ(m.CellCount(), 1);
    EXPECT_EQ(CViewerCapabilities::TileCount(12), 0);
    EXPECT_EQ(m.CellRect(*m.CellAt(0), client), QRect(0, 0, 1000, 601));
}

TEST(ViewerGridModelTest, PreservedAspectCentresAFourByThreePicture)
{
    EXPECT_EQ(ViewerGridModel::FitAspect(QRect(0, 0, 400, 200)), QRect(67, 0, 266, 200));
    EXPECT_EQ(ViewerGridModel::FitAspect(QRect(100, 50, 400, 200)), QRect(167, 50, 266, 200));
    EXPECT_EQ(ViewerGridModel::FitAspect(QRect(0, 0, 300, 300)), QRect(0, 37, 300, 225));
    EXPECT_EQ(ViewerGridModel::FitAspect(QRect(0, 0, 400, 300)), QRect(0, 0, 400, 300));
    ViewerGridModel m;
    m.Build(CViewerCapabilities::Layout2x2);
    EXPECT_EQ(m.PlacementRect(*m.CellAt(3), QSize(800, 400), true), QRect(467, 200, 266, 200));
    EXPECT_EQ(m.PlacementRect(*m.CellAt(3), QSize(800, 400), false), QRect(400, 200, 400, 200));
}

TEST(ViewerGridModelTest, TilesetRemoveReorderAndSwapKeepCellsAndOrderInStep)
{
    ViewerGridModel m;
    m.Build(CViewerCapabilities::Layout2x2);
    m.Tileset(0, Fake(0));
    m.Tileset(2, Fake(2));  // past the order's end: appended
    m.Tileset(1, Fake(1));  // inserted at its index, later entries move up
    EXPECT_EQ(m.Order(), (ViewerGridModel::Players{Fake(0), Fake(1), Fake(2)}));
    EXPECT_EQ(m.PlayersInCells(), (ViewerGridModel::Players{Fake(0), Fake(1), Fake(2)}));
    EXPECT_THROW(m.Tileset(4, Fake(9)), std::out_of_range);
    EXPECT_THROW(m.Tileset(-1, Fake(9)), std::out_of_range);
    EXPECT_EQ(m.Order().size(), 3u);
    EXPECT_EQ(m.FindCell(Fake(9)), nullptr);

    EXPECT_EQ(m.Remove(Fake(1)), 1);
    EXPECT_EQ(m.CellAt(1)->player, nullptr);
    EXPECT_EQ(m.Order(), (ViewerGridModel::Players{Fake(0), Fake(2)}));
    EXPECT_EQ(m.Remove(Fake(1)), -1);

    // Swap onto an empty cell, then onto an occupied one: the order follows the cells.
    m.Swap(m.CellAt(0), m.CellAt(3));
    EXPECT_EQ(m.CellAt(0)->player, nullptr);
    EXPECT_EQ(m.CellAt(3)->player, Fake(0));
    EXPECT_EQ(m.Order(), (ViewerGridModel::Players{Fake(2), Fake(0)}));
    m.Swap(m.CellAt(2), m.CellAt(3));
    EXPECT_EQ(m.Order(), (ViewerGridModel::Players{Fake(0), Fake(2)}));

    // Reorder fills cells from the front; a new layout starts empty and takes the order so.
    const ViewerGridModel::Players five = {Fake(0), Fake(1), Fake(2), Fake(3), Fake(4)};
    m.Build(CViewerCapabilities::LayoutCustom6x1);
    EXPECT_TRUE(m.PlayersInCells().empty());
    EXPECT_TRUE(m.Order().empty());
    EXPECT_EQ(m.Reorder(five), five);
    EXPECT_EQ(m.PlayersInCells(), five);
    EXPECT_EQ(m.CellAt(5)->player, nullptr);
    m.Build(CViewerCapabilities::Layout2x2);
    EXPECT_EQ(m.Reorder(five).size(), 4u);
    EXPECT_EQ(m.FindCell(Fake(4)), nullptr);
}
