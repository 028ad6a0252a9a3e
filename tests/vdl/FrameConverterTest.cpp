// Decoded pictures of every width to RGB32: right pixels, and nothing written outside the
// converter's own memory (swscale writes whole blocks of pixels past a row's end).
#include "FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <cstring>

namespace {

AVFrame* GreyFrame(AVPixelFormat format, int width, int height)
{
    AVFrame* frame = av_frame_alloc();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    for (int i = 0; i < AV_NUM_DATA_POINTERS && frame->buf[i]; ++i)
        std::memset(frame->buf[i]->data, 0x80, frame->buf[i]->size);
    return frame;
}

TEST(VdlFrameConverter, NarrowPicturesConvertWithinTheirBuffer)
{
    // Without room for the scaler's overrun, the heap around the buffer is overwritten: the
    // allocator (or the sanitizers) then stops the process within these sizes.
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_NV12}) {
        for (int width = 1; width <= 40; ++width) {
            for (int height = 1; height <= 9; ++height) {
                AVFrame* frame = GreyFrame(format, width, height);
                ASSERT_NE(frame, nullptr);
                // A converter of its own each time, as a snapshot has: a fresh buffer each picture.
                auto converter = std::make_unique<FrameConverter>();
                ASSERT_TRUE(converter->Convert(frame));
                // A buffer right behind, where the overrun would land.
                std::vector<uint8_t> neighbour(64, 0x5A);
                EXPECT_EQ(converter->Width(), width);
                EXPECT_EQ(converter->Stride(), width * 4);
                const uint8_t* first = converter->Pixels();
                EXPECT_NEAR(first[0], 0x80, 2) << width << "x" << height;
                EXPECT_EQ(first[3], 0xFF);
                converter.reset();
                av_frame_free(&frame);
            }
        }
    }
}

} // namespace
