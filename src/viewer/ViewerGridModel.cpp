#include "viewer/ViewerGridModel.h"

#include <algorithm>
#include <stdexcept>
#include <string>

void ViewerGridModel::Build(unsigned mode)
{
    cells_.clear();
    order_.clear();
    mode_ = mode;
    const CViewerCapabilities::Mode& layout = CViewerCapabilities::LayoutOf(mode);
    columns_ = layout.columns;
    rows_ = layout.rows;
    for (int i = 0; i < layout.cellCount; ++i) {
        const CViewerCapabilities::Cell& c = layout.cells[static_cast<size_t>(i)];
        auto cell = std::make_unique<structTileInfo>();
        cell->row = c.row;
        cell->column = c.column;
        cell->rowSpan = c.rowSpan;
        cell->columnSpan = c.columnSpan;
        cells_.push_back(std::move(cell));
    }
}

structTileInfo* ViewerGridModel::CellAt(int index) const
{
    return index >= 0 && index < CellCount() ? cells_[static_cast<size_t>(index)].get() : nullptr;
}

int ViewerGridModel::IndexOf(const structTileInfo* cell) const
{
    for (int i = 0; i < CellCount(); ++i) {
        if (cells_[static_cast<size_t>(i)].get() == cell) {
            return i;
        }
    }
    return -1;
}

void ViewerGridModel::Tileset(int index, CVideoPlayer* player)
{
    structTileInfo* cell = CellAt(index);
    if (cell == nullptr) {
        throw std::out_of_range("cell " + std::to_string(index) + " is outside the " + std::to_string(CellCount())
                                + " cells of the layout");
    }
    cell->player = player;
    const size_t at = std::min(static_cast<size_t>(index), order_.size());
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(at), player);
}

int ViewerGridModel::Remove(CVideoPlayer* player)
{
    int removed = -1;
    for (int i = 0; i < CellCount(); ++i) {
        if (cells_[static_cast<size_t>(i)]->player == player) {
            cells_[static_cast<size_t>(i)]->player = nullptr;
            removed = i;
            break;
        }
    }
    const auto found = std::find(order_.begin(), order_.end(), player);
    if (found != order_.end()) {
        order_.erase(found);
    }
    return removed;
}

structTileInfo* ViewerGridModel::FindCell(const CVideoPlayer* player) const
{
    if (player == nullptr) {
        return nullptr;
    }
    for (const auto& cell : cells_) {
        if (cell->player == player) {
            return cell.get();
        }
    }
    return nullptr;
}

ViewerGridModel::Players ViewerGridModel::PlayersInCells() const
{
    Players players;
    for (const auto& cell : cells_) {
        if (cell->player != nullptr) {
            players.push_back(cell->player);
        }
    }
    return players;
}

ViewerGridModel::Players ViewerGridModel::Reorder(const Players& ordered)
{
    order_ = ordered;
    Players placed;
    const size_t n = std::min(cells_.size(), order_.size());
    for (size_t i = 0; i < n; ++i) {
        cells_[i]->player = order_[i];
        if (order_[i] != nullptr) {
            placed.push_back(order_[i]);
        }
    }
    return placed;
}

void ViewerGridModel::Swap(structTileInfo* a, structTileInfo* b)
{
    std::swap(a->player, b->player);
    order_ = PlayersInCells();
}

void ViewerGridModel::Rotate(bool backward)
{
    if (cells_.size() < 2) {
        return;
    }
    Players players;
    for (const auto& cell : cells_) {
        players.push_back(cell->player);
    }
    if (backward) {
        std::rotate(players.begin(), players.begin() + 1, players.end());
    } else {
        std::rotate(players.rbegin(), players.rbegin() + 1, players.rend());
    }
    for (size_t i = 0; i < cells_.size(); ++i) {
        cells_[i]->player = players[i];
    }
    order_ = PlayersInCells();
}

QRect ViewerGridModel::CellRect(const structTileInfo& cell, const QSize& client) const
{
    const int columnWidth = columns_ > 0 ? client.width() / columns_ : 0;
    const int rowHeight = rows_ > 0 ? client.height() / rows_ : 0;
    const int left = cell.column * columnWidth;
    const int top = cell.row * rowHeight;
    return QRect(left, top, cell.columnSpan * columnWidth, cell.rowSpan * rowHeight);
}

QRect ViewerGridModel::FitAspect(const QRect& cell)
{
    const int w = cell.width();
    const int h = cell.height();
    if (w / 4.0 > h / 3.0) {
        const int width = static_cast<int>(h / 3.0 * 4.0);
        return QRect(cell.left() + (w - width) / 2, cell.top(), width, h);
    }
    const int height = static_cast<int>(w / 4.0 * 3.0);
    return QRect(cell.left(), cell.top() + (h - height) / 2, w, height);
}

QRect ViewerGridModel::PlacementRect(const structTileInfo& cell, const QSize& client, bool preserveAspect) const
{
    const QRect rect = CellRect(cell, client);
    return preserveAspect ? FitAspect(rect) : rect;
}

structTileInfo* ViewerGridModel::HitTest(QPoint point, const QSize& client) const
{
    point.setX(std::max(0, point.x()));
    point.setY(std::max(0, point.y()));
    for (const auto& cell : cells_) {
        // QRect::contains counts right() = left + width − 1 in: the right and bottom edges
        // (left + width, top + height) are outside.
        if (CellRect(*cell, client).contains(point)) {
            return cell.get();
        }
    }
    return nullptr;
}

structTileInfo* ViewerGridModel::DropTarget(const QPoint& point, const QSize& client) const
{
    if (!QRect(QPoint(0, 0), client).contains(point)) {
        return nullptr;
    }
    return HitTest(point, client);
}
