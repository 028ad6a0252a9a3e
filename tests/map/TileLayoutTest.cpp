#include "map/COSMCtrlTileLayout.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

TEST(TileLayoutTest, ItemsRunNearestFirstWithWrappedColumnsAndNoRowsOffTheMap)
{
    // Zoom 2: four tiles a side. The view centre lies in the middle of tile (2, 1).
    const QRectF client(0, 0, 600, 400);
    const auto items = COSMCtrlTileLayout::Compute(2.5, 1.5, 2.0, client, 2, false);
    ASSERT_FALSE(items.IsEmpty());
    EXPECT_EQ(items[0].x, 2);
    EXPECT_EQ(items[0].y, 1);
    EXPECT_DOUBLE_EQ(items[0].distance, 0.0);
    EXPECT_FLOAT_EQ(items[0].left, 172.0f);
    EXPECT_FLOAT_EQ(items[0].bottom, 328.0f);
    std::set<int> rows;
    for (std::size_t i = 0; i < items.GetSize(); ++i) {
        EXPECT_GE(items[i].x, 0);
        EXPECT_LT(items[i].x, 4);
        rows.insert(items[i].y);
        if (i > 0) {
            EXPECT_LE(items[i - 1].distance, items[i].distance);
        }
    }
    EXPECT_EQ(rows, (std::set<int>{0, 1, 2, 3}));

    // Unsorted, the grid comes row by row from the top-left.
    const auto grid = COSMCtrlTileLayout::Compute(2.5, 1.5, 2.0, client, 2, true);
    ASSERT_EQ(grid.GetSize(), items.GetSize());
    EXPECT_EQ(std::make_pair(grid[0].y, grid[0].left < grid[1].left), std::make_pair(0, true));

    // At zoom 3.5 a tile is 384 pixels; at zoom 0 every cell is the one world tile.
    EXPECT_DOUBLE_EQ(COSMCtrlTileLayout::TileSize(3.5), 384.0);
    for (const auto& item : COSMCtrlTileLayout::Compute(0.5, 0.5, 0.0, client, 2, false)) {
        EXPECT_EQ(std::make_pair(item.x, item.y), std::make_pair(0, 0));
    }
    EXPECT_EQ(COSMCtrlTileLayout::TilesPerSide(2), 4);
    EXPECT_EQ(COSMCtrlTileLayout::TilesPerSide(18), 262144);
}

} // namespace
