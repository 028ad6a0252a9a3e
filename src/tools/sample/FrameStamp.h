#pragma once

#include <cstdint>

// The machine-readable frame stamp drawn into every sample frame: a row of black and white blocks,
// a white and a black guard block followed by 32 data blocks (the 24-bit frame index, most
// significant bit first, then an 8-bit check value). Blocks are 8 or 16 pixels, aligned to the
// coder's macroblocks, so the stamp survives compression. A second row of the same form just above
// it carries the camera's number, so that a picture tells which camera it belongs to.
class FrameStamp {
public:
    static constexpr int kDataBits = 32;

    // Block edge in pixels for a picture of this width.
    static int BlockSize(int width);
    // True when a picture of this size is large enough to carry a stamp.
    static bool Fits(int width, int height);
    // Draws the stamp of frameIndex into an 8-bit luma plane.
    static void Draw(uint8_t* luma, int stride, int width, int height, int64_t frameIndex);
    // Reads the stamp from an RGB32 picture (bytes B, G, R, X). Returns the frame index, or -1
    // when no valid stamp is found.
    static int64_t Read(const uint8_t* rgb32, int width, int height, int stride);
    // The camera row: drawn only when the picture has room for both rows; read as Read does.
    static bool FitsCamera(int width, int height);
    static void DrawCamera(uint8_t* luma, int stride, int width, int height, int cameraNumber);
    static int ReadCamera(const uint8_t* rgb32, int width, int height, int stride);

    static uint8_t CheckValue(uint32_t index24);
};
