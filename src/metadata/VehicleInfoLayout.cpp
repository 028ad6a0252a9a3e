#include "metadata/VehicleInfoLayout.h"

#include <algorithm>

std::pair<int, int> VehicleInfoLayout::RowHeights(int height)
{
    height = std::max(height, 0);
    if (height <= 2 * kMinimumRow)
        return {kMinimumRow, kMinimumRow};
    int upper = height * kUpperPercent / 100;
    upper = std::clamp(upper, kMinimumRow, height - kMinimumRow);
    return {upper, height - upper};
}

std::pair<int, int> VehicleInfoLayout::InitialColumns(int width)
{
    width = std::max(width, 0);
    return {width / 2, width / 2};
}

std::pair<int, int> VehicleInfoLayout::Columns(int width)
{
    width = std::max(width, 0);
    const int name = width / 5 * 3;
    return {name, width - name};
}
