#pragma once

#include "events/structTileInfo.h"
#include "viewer/CViewerCapabilities.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <vector>

class CVideoPlayer;

// The grid's cells and their arithmetic, without a window: the cells of the current layout mode,
// which player sits in which cell, the players-in-cell-order array, cell rectangles in client
// coordinates, 4:3 fitting and hit tests. CViewerGridLayout shows, hides and moves the players
// by it. Players are only referred to, never touched.
class ViewerGridModel {
public:
    using Players = std::vector<CVideoPlayer*>;
    using Cells = std::vector<std::unique_ptr<structTileInfo>>;

    // Frees the cells, empties the order array, stores the mode and creates the mode's cells in
    // the table's order (the "1x1" cells for a value outside the table).
    void Build(unsigned mode);

    unsigned Mode() const { return mode_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    const Cells& GetCells() const { return cells_; }
    int CellCount() const { return static_cast<int>(cells_.size()); }
    // The cell at an index, or null outside the cells.
    structTileInfo* CellAt(int index) const;
    int IndexOf(const structTileInfo* cell) const;

    // Puts the player into the cell and inserts it into the order array at the same index
    // (appended when the index is past its end). Throws std::out_of_range for an index outside
    // the cells, changing nothing.
    void Tileset(int index, CVideoPlayer* player);
    // Empties the first cell holding the player and drops its first entry in the order array.
    // Returns the cell's index, -1 when it sat in none.
    int Remove(CVideoPlayer* player);
    structTileInfo* FindCell(const CVideoPlayer* player) const;
    // The players of the non-empty cells, in cell order.
    Players PlayersInCells() const;

    const Players& Order() const { return order_; }
    // Replaces the order array and gives cells 0 … n − 1 its entries 0 … n − 1 where both exist.
    // Returns the players so placed, for the window to show.
    Players Reorder(const Players& ordered);
    // Exchanges the players of two cells (either may be empty) and rewrites the order array from
    // the cells in index order.
    void Swap(structTileInfo* a, structTileInfo* b);
    // Moves every cell's player (empty cells included) one cell towards the first cell, the first
    // going to the last (backward), or the other way round; the order array follows the cells.
    void Rotate(bool backward);

    // A cell's rectangle in a client area of the given size: whole columns and rows by integer
    // division, the remainder at the right and bottom in no cell.
    QRect CellRect(const structTileInfo& cell, const QSize& client) const;
    // Where a player of the cell goes: the cell, or with preserveAspect its centred 4:3 part.
    QRect PlacementRect(const structTileInfo& cell, const QSize& client, bool preserveAspect) const;
    static QRect FitAspect(const QRect& cell);

    // The first cell containing the point (right and bottom edges exclusive); negative
    // coordinates count as 0.
    structTileInfo* HitTest(QPoint point, const QSize& client) const;
    // For a tile dropped at the point: as HitTest, but a point outside the client area is in no
    // cell (a tile dragged off the grid goes back to its own cell).
    structTileInfo* DropTarget(const QPoint& point, const QSize& client) const;

private:
    unsigned mode_ = CViewerCapabilities::Layout3x3;
    int columns_ = 0;
    int rows_ = 0;
    Cells cells_;
    Players order_;
};
