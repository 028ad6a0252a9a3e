#pragma once

class CVideoPlayer;

// One cell of the tile grid, owned by the grid, in the order of its layout mode's table. The
// player is the viewer's; the cell only says where it sits.
struct structTileInfo {
    CVideoPlayer* player = nullptr;
    int row = 0;         // first grid row, 0-based
    int column = 0;      // first grid column, 0-based
    int rowSpan = 1;     // grid rows the cell covers
    int columnSpan = 1;  // grid columns the cell covers
};
