#include "FrameStamp.h"

namespace {

constexpr int kGuardBlocks = 2;

int StampX(int block) { return block; }
// Row 0 is the frame index, row 1 (two blocks higher) the camera number.
int StampY(int height, int block, int row = 0) { return height - 2 * block - 2 * row * block; }

uint32_t StampWord(int64_t frameIndex)
{
    const uint32_t index = static_cast<uint32_t>(frameIndex) & 0xFFFFFFu;
    return index << 8 | FrameStamp::CheckValue(index);
}

} // namespace

int FrameStamp::BlockSize(int width) { return width >= 640 ? 16 : 8; }

bool FrameStamp::Fits(int width, int height)
{
    const int b = BlockSize(width);
    return width >= (kGuardBlocks + kDataBits + 2) * b && height >= 4 * b;
}

uint8_t FrameStamp::CheckValue(uint32_t index24)
{
    // CRC-8 (polynomial 0x07) of the three index bytes; the xor keeps an all-black row invalid.
    uint8_t crc = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        crc ^= static_cast<uint8_t>(index24 >> shift);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? static_cast<uint8_t>(crc << 1 ^ 0x07) : static_cast<uint8_t>(crc << 1);
    }
    return crc ^ 0x5A;
}

namespace {

void DrawRow(uint8_t* luma, int stride, int width, int height, int row, int64_t value)
{
    const int b = FrameStamp::BlockSize(width);
    const uint32_t word = StampWord(value);
    const int x0 = StampX(b);
    const int y0 = StampY(height, b, row);
    for (int k = 0; k < kGuardBlocks + FrameStamp::kDataBits; ++k) {
        bool white;
        if (k == 0)
            white = true;
        else if (k == 1)
            white = false;
        else
            white = (word >> (FrameStamp::kDataBits - 1 - (k - kGuardBlocks))) & 1u;
        const uint8_t value = white ? 235 : 16;
        for (int y = y0; y < y0 + b; ++y) {
            uint8_t* line = luma + static_cast<long>(y) * stride + x0 + k * b;
            for (int x = 0; x < b; ++x)
                line[x] = value;
        }
    }
}

int64_t ReadRow(const uint8_t* rgb32, int width, int stride, int height, int row)
{
    const int b = FrameStamp::BlockSize(width);
    const int x0 = StampX(b);
    const int y0 = StampY(height, b, row);
    auto blockMean = [&](int k) {
        long sum = 0;
        long count = 0;
        for (int y = y0 + b / 4; y < y0 + 3 * b / 4; ++y) {
            const uint8_t* line = rgb32 + static_cast<long>(y) * stride;
            for (int x = x0 + k * b + b / 4; x < x0 + k * b + 3 * b / 4; ++x) {
                const uint8_t* px = line + 4 * x;
                sum += px[0] + 2 * px[1] + px[2];
                ++count;
            }
        }
        return static_cast<int>(sum / (4 * count));
    };
    const int white = blockMean(0);
    const int black = blockMean(1);
    if (white - black < 64)
        return -1;
    const int threshold = (white + black) / 2;
    uint32_t word = 0;
    for (int k = 0; k < FrameStamp::kDataBits; ++k)
        word = word << 1 | (blockMean(kGuardBlocks + k) > threshold ? 1u : 0u);
    const uint32_t index = word >> 8;
    if (FrameStamp::CheckValue(index) != static_cast<uint8_t>(word & 0xFFu))
        return -1;
    return index;
}

} // namespace

void FrameStamp::Draw(uint8_t* luma, int stride, int width, int height, int64_t frameIndex)
{
    if (Fits(width, height))
        DrawRow(luma, stride, width, height, 0, frameIndex);
}

int64_t FrameStamp::Read(const uint8_t* rgb32, int width, int height, int stride)
{
    if (!rgb32 || !Fits(width, height))
        return -1;
    return ReadRow(rgb32, width, stride, height, 0);
}

bool FrameStamp::FitsCamera(int width, int height)
{
    return Fits(width, height) && height >= 6 * BlockSize(width);
}

void FrameStamp::DrawCamera(uint8_t* luma, int stride, int width, int height, int cameraNumber)
{
    if (FitsCamera(width, height))
        DrawRow(luma, stride, width, height, 1, cameraNumber);
}

int FrameStamp::ReadCamera(const uint8_t* rgb32, int width, int height, int stride)
{
    if (!rgb32 || !FitsCamera(width, height))
        return -1;
    return static_cast<int>(ReadRow(rgb32, width, stride, height, 1));
}
