#pragma once

#include <utility>

// The sizes of the Vehicle Info pane, apart from its widgets: the split between the sample list
// and the bookmarks under it, and the list's two columns.
class VehicleInfoLayout {
public:
    static constexpr int kUpperPercent = 60;
    static constexpr int kMinimumRow = 25;

    // Upper and lower row heights for the height the rows share: 60 % and the rest, neither
    // under 25 pixels (when there is not room for both minimums each still gets its 25).
    static std::pair<int, int> RowHeights(int height);
    // The list's columns when it is made: half each.
    static std::pair<int, int> InitialColumns(int width);
    // The list's columns on every resize: width / 5 × 3 for the name, the rest for the value.
    static std::pair<int, int> Columns(int width);
};
