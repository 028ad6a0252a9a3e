#include "tools/sample/FrameStamp.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Paints a luma plane into RGB32 as the library would hand it over.
std::vector<uint8_t> ToRgb(const std::vector<uint8_t>& luma, int w, int h, int noise)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 4);
    unsigned state = 1;
    for (int i = 0; i < w * h; ++i) {
        state = state * 1103515245u + 12345u;
        const int n = noise ? static_cast<int>(state >> 16) % (2 * noise + 1) - noise : 0;
        const uint8_t v = static_cast<uint8_t>(std::clamp(luma[i] + n, 0, 255));
        rgb[4 * i] = rgb[4 * i + 1] = rgb[4 * i + 2] = v;
        rgb[4 * i + 3] = 255;
    }
    return rgb;
}

} // namespace

TEST(FrameStamp, ReadsBackEveryIndexThroughNoise)
{
    const struct {
        int w, h;
        int64_t index;
    } cases[] = {{320, 240, 0}, {320, 240, 1}, {640, 360, 123456}, {1280, 720, 0xFFFFFF}, {704, 240, 4242}};
    for (const auto& c : cases) {
        std::vector<uint8_t> luma(static_cast<size_t>(c.w) * c.h, 128);
        FrameStamp::Draw(luma.data(), c.w, c.w, c.h, c.index);
        const auto rgb = ToRgb(luma, c.w, c.h, 40);
        EXPECT_EQ(FrameStamp::Read(rgb.data(), c.w, c.h, c.w * 4), c.index) << c.w << "x" << c.h;
    }
}

TEST(FrameStamp, PictureWithoutStampReadsAsNone)
{
    const int w = 320, h = 240;
    for (int value : {0, 128, 255}) {
        std::vector<uint8_t> luma(static_cast<size_t>(w) * h, static_cast<uint8_t>(value));
        const auto rgb = ToRgb(luma, w, h, 0);
        EXPECT_EQ(FrameStamp::Read(rgb.data(), w, h, w * 4), -1) << value;
    }
    // A stamp with one data block flipped fails its check value.
    std::vector<uint8_t> luma(static_cast<size_t>(w) * h, 128);
    FrameStamp::Draw(luma.data(), w, w, h, 77);
    const int b = FrameStamp::BlockSize(w);
    for (int y = h - 2 * b; y < h - b; ++y)
        for (int x = b + 10 * b; x < b + 11 * b; ++x)
            luma[static_cast<size_t>(y) * w + x] = luma[static_cast<size_t>(y) * w + x] > 128 ? 16 : 235;
    const auto rgb = ToRgb(luma, w, h, 0);
    EXPECT_EQ(FrameStamp::Read(rgb.data(), w, h, w * 4), -1);
}

// Each tile's picture names its camera: the camera row reads back beside the frame row, neither
// disturbing the other, and a picture without it reads as none.
TEST(FrameStamp, CameraRowReadsBackBesideTheFrameIndex)
{
    const int w = 640, h = 360;
    std::vector<uint8_t> luma(static_cast<size_t>(w) * h, 128);
    FrameStamp::Draw(luma.data(), w, w, h, 4321);
    EXPECT_EQ(FrameStamp::ReadCamera(ToRgb(luma, w, h, 0).data(), w, h, w * 4), -1);
    FrameStamp::DrawCamera(luma.data(), w, w, h, 7);
    const auto rgb = ToRgb(luma, w, h, 40);
    EXPECT_EQ(FrameStamp::Read(rgb.data(), w, h, w * 4), 4321);
    EXPECT_EQ(FrameStamp::ReadCamera(rgb.data(), w, h, w * 4), 7);
    EXPECT_FALSE(FrameStamp::FitsCamera(320, 40));
}
