#pragma once

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

// Decoded pictures to RGB32 (QImage::Format_RGB32 byte order) with one cached scaler and one
// reused buffer: nothing is allocated per frame.
class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Converts frame; the pixels stay valid until the next call. False when it cannot.
    bool Convert(const AVFrame* frame);
    const uint8_t* Pixels() const { return m_buffer.data(); }
    int Stride() const { return m_width * 4; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Size of the BMP file image of a width x height picture.
    static uint32_t BmpSize(int width, int height);
    // Writes the BMP file image (file header, info header, bottom-up 32-bit rows) of the last
    // converted picture into out, which holds at least BmpSize bytes.
    void WriteBmp(uint8_t* out) const;

private:
    SwsContext* m_sws = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_format = -1;
    std::vector<uint8_t> m_buffer;
};
