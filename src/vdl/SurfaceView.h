#pragma once

// The part of a frame a surface shows and the size it shows it at (VDL_SetSurfaceView). No part
// (width 0): the whole frame at its own size.
struct SurfaceView {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int outWidth = 0;
    int outHeight = 0;

    bool Whole() const { return width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0; }
    bool operator==(const SurfaceView&) const = default;
};
