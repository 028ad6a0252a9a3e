#pragma once

#include "SurfaceView.h"
#include "vdl/vdl.h"

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

// Decoded pictures to RGB32 (QImage::Format_RGB32 byte order) into one reused buffer: nothing is
// allocated per frame, only when the size shown changes. A view converts the rectangle it names
// straight to its output size. 8-bit 4:2:0 (what the cameras record) goes through libyuv's
// vector code, scaled in YUV first when the size changes; other formats through one cached
// swscale context.
class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Converts frame (the part the view names, clamped to the frame) into the converter's own
    // buffer (Pixels, valid until the next call; allocated only when the size shown changes).
    // False when it cannot.
    bool Convert(const AVFrame* frame, const SurfaceView& view = {});
    const uint8_t* Pixels() const { return m_buffer.data(); }
    int Stride() const { return m_outWidth * 4; }
    int Width() const { return m_outWidth; }
    int Height() const { return m_outHeight; }
    // The rectangle of the frame the last picture shows.
    const SurfaceView& Shown() const { return m_shown; }
    // Sets the last picture's pixels, size and rectangle in a picture for a surface.
    void Describe(VDL_Picture* picture) const;

    // Size of the BMP file image of a width x height picture.
    static uint32_t BmpSize(int width, int height);
    // Writes the BMP file image (file header, info header, bottom-up 32-bit rows) of the last
    // converted picture into out, which holds at least BmpSize bytes.
    void WriteBmp(uint8_t* out) const;

private:
    // From the planes of the rectangle (src) to m_buffer at the output size.
    bool Convert420(const uint8_t* const src[4], const int stride[4], bool fullRange);
    bool ConvertOther(const uint8_t* const src[4], const int stride[4], int format);

    SwsContext* m_sws = nullptr; // other formats only
    int m_srcWidth = 0;
    int m_srcHeight = 0;
    int m_format = -1;
    int m_outWidth = 0;
    int m_outHeight = 0;
    SurfaceView m_shown;
    std::vector<uint8_t> m_buffer;
    std::vector<uint8_t> m_scaled; // 4:2:0 at the output size, before its conversion
};
