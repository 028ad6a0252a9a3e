#pragma once

#include <array>
#include <cstddef>

// The twelve layout modes of the tile grid: their grid of columns × rows, their cells in index
// order, the tile count the viewer checks opens and layout changes against, and the tooltip text
// and picture of each mode. One plain table with no dependency beyond the standard library, so
// that the picture generator draws each mode's button from the same cells the grid uses.
namespace ViewerLayoutTable {

struct Cell {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
};

inline constexpr int kMaxCells = 16;

struct Mode {
    int columns = 1;
    int rows = 1;
    int cellCount = 1;
    std::array<Cell, kMaxCells> cells{};
    int tileCount = 1;
    int textId = 0;     // string table: the layout button's tooltip
    int pictureId = 0;  // the caption's layout button and the selection pop-up
};

// Every cell of a grid, row by row.
constexpr Mode Uniform(int columns, int rows, int textId, int pictureId)
{
    Mode m{columns, rows, columns * rows, {}, columns * rows, textId, pictureId};
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            m.cells[static_cast<size_t>(r * columns + c)] = Cell{r, c, 1, 1};
        }
    }
    return m;
}

template <size_t N>
constexpr Mode Custom(int columns, int rows, const Cell (&cells)[N], int textId, int pictureId)
{
    Mode m{columns, rows, static_cast<int>(N), {}, static_cast<int>(N), textId, pictureId};
    for (size_t i = 0; i < N; ++i) {
        m.cells[i] = cells[i];
    }
    return m;
}

// Cells are {row, column, row span, column span}.
inline constexpr Cell kStacked[] = {{0, 0, 1, 1}, {1, 0, 1, 1}};
inline constexpr Cell k6x1[] = {{0, 0, 2, 2}, {0, 2, 1, 1}, {1, 2, 1, 1}, {2, 0, 1, 1}, {2, 1, 1, 1}, {2, 2, 1, 1}};
inline constexpr Cell kSideBySide[] = {{0, 0, 1, 1}, {0, 1, 1, 1}};
inline constexpr Cell k12x1[] = {{0, 0, 3, 3}, {0, 3, 3, 3}, {3, 0, 3, 3}, {3, 3, 1, 1},
                                 {3, 4, 1, 1}, {3, 5, 1, 1}, {4, 3, 1, 1}, {4, 4, 1, 1},
                                 {4, 5, 1, 1}, {5, 3, 1, 1}, {5, 4, 1, 1}, {5, 5, 1, 1}};
inline constexpr Cell k3x2[] = {{0, 0, 1, 2}, {1, 0, 1, 1}, {1, 1, 1, 1}};
inline constexpr Cell k14x1[] = {{0, 0, 3, 3}, {0, 3, 1, 1}, {0, 4, 1, 1}, {1, 3, 1, 1},
                                 {1, 4, 1, 1}, {2, 3, 1, 1}, {2, 4, 1, 1}, {3, 0, 2, 3},
                                 {3, 3, 1, 1}, {3, 4, 1, 1}, {4, 3, 1, 1}, {4, 4, 1, 1}};
inline constexpr Cell k3x1[] = {{0, 0, 1, 1}, {0, 1, 2, 1}, {1, 0, 1, 1}};
inline constexpr Cell k4x1[] = {{0, 0, 2, 3}, {2, 0, 1, 1}, {2, 1, 1, 1}, {2, 2, 1, 1}};

// Modes 0 to 11: texts 332, 531 ... 538 and pictures 357, 3600 ... 565.
inline constexpr std::array<Mode, 12> kModes = {
    Uniform(1, 1, 332, 357),                  // "1x1"
    Custom(1, 2, kStacked, 531, 3600),        // "Custom 2x1"
    Custom(3, 3, k6x1, 532, 366),             // "Custom 6x1"
    Uniform(2, 2, 533, 358),                  // "2x2"
    Custom(2, 1, kSideBySide, 534, 361),      // "Custom 2x2"
    Custom(6, 6, k12x1, 535, 367),            // "Custom 12x1"
    Uniform(3, 3, 536, 359),                  // "3x3"
    Custom(2, 2, k3x2, 537, 564),             // "Custom 3x2"
    Custom(5, 5, k14x1, 340, 368),            // "Custom 14x1"
    Uniform(4, 4, 341, 354),                  // "4x4"
    Custom(2, 2, k3x1, 342, 362),             // "Custom 3x1"
    Custom(3, 3, k4x1, 538, 565),             // "Custom 4x1"
};
// What any other value builds: the "1x1" cells with no tiles to count.
inline constexpr Mode kFallback = {1, 1, 1, {Cell{0, 0, 1, 1}}, 0, 332, 357};

} // namespace ViewerLayoutTable

class CViewerCapabilities {
public:
    enum LayoutModes : unsigned {
        Layout1x1 = 0,
        LayoutCustom2x1 = 1,
        LayoutCustom6x1 = 2,
        Layout2x2 = 3,
        LayoutCustom2x2 = 4,
        LayoutCustom12x1 = 5,
        Layout3x3 = 6,
        LayoutCustom3x2 = 7,
        LayoutCustom14x1 = 8,
        Layout4x4 = 9,
        LayoutCustom3x1 = 10,
        LayoutCustom4x1 = 11,
    };
    static constexpr unsigned kModeCount = 12;
    using Cell = ViewerLayoutTable::Cell;
    using Mode = ViewerLayoutTable::Mode;

    static constexpr bool IsMode(unsigned mode) { return mode < kModeCount; }
    // The mode's row of the table; any other value builds the "1x1" cells with a tile count of 0
    // (the viewer refuses such a mode before it reaches the grid).
    static constexpr const Mode& LayoutOf(unsigned mode)
    {
        return IsMode(mode) ? ViewerLayoutTable::kModes[mode] : ViewerLayoutTable::kFallback;
    }
    static constexpr int TileCount(unsigned mode) { return LayoutOf(mode).tileCount; }
};
