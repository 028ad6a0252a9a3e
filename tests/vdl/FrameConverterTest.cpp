// Decoded pictures of every width to RGB32: right pixels, and nothing written outside the
// converter's own memory (swscale writes whole blocks of pixels past a row's end); a view's
// rectangle at its size shows what the whole picture shows there.
#include "FrameConverter.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
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

// A picture with detail in both directions and colour: diagonal bands of luma, chroma ramps.
AVFrame* PatternFrame(AVPixelFormat format, int width, int height)
{
    AVFrame* frame = av_frame_alloc();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(40 + (x + y) % 64 * 2 + x / 8);
    for (int y = 0; y < (height + 1) / 2; ++y) {
        for (int x = 0; x < (width + 1) / 2; ++x) {
            const auto u = static_cast<uint8_t>(64 + x * 128 / width);
            const auto v = static_cast<uint8_t>(64 + y * 128 / height);
            if (format == AV_PIX_FMT_NV12) {
                frame->data[1][y * frame->linesize[1] + 2 * x] = u;
                frame->data[1][y * frame->linesize[1] + 2 * x + 1] = v;
            } else {
                frame->data[1][y * frame->linesize[1] + x] = u;
                frame->data[2][y * frame->linesize[2] + x] = v;
            }
        }
    }
    return frame;
}

QImage Picture(const FrameConverter& c)
{
    return QImage(c.Pixels(), c.Width(), c.Height(), c.Stride(), QImage::Format_RGB32).copy();
}

double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 255.0;
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

TEST(VdlFrameConverter, AViewShowsItsRectangleAtItsSizeInEveryFormat)
{
    // 4:2:0 as the cameras record it (studio and full range) and a format of the general path.
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_NV12}) {
        AVFrame* frame = PatternFrame(format, 641, 361); // odd: the last chroma sample covers one pixel
        ASSERT_NE(frame, nullptr);
        FrameConverter converter;
        ASSERT_TRUE(converter.Convert(frame));
        const QImage whole = Picture(converter);
        ASSERT_EQ(whole.size(), QSize(641, 361));
        const struct {
            SurfaceView view;
            double tolerance; // mean difference per channel against Qt's smooth scaling
        } views[] = {
            {{0, 0, 641, 361, 480, 270}, 6.0},   // a grid's tile
            {{0, 0, 641, 361, 200, 112}, 6.0},   // below half: averaged
            {{160, 90, 320, 180, 640, 360}, 4.0}, // zoomed in
            // 1:1: the exact pixels in 4:2:0 (swscale's general path may round another way).
            {{100, 50, 320, 180, 320, 180}, format == AV_PIX_FMT_NV12 ? 2.0 : 0.0},
        };
        for (const auto& c : views) {
            ASSERT_TRUE(converter.Convert(frame, c.view));
            const SurfaceView& v = c.view;
            ASSERT_EQ(converter.Width(), v.outWidth);
            ASSERT_EQ(converter.Height(), v.outHeight);
            EXPECT_EQ(converter.Shown(), v);
            const QImage expected = whole.copy(v.x, v.y, v.width, v.height)
                                        .scaled(v.outWidth, v.outHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_LE(MeanDifference(Picture(converter), expected), c.tolerance)
                << format << " " << v.outWidth << "x" << v.outHeight;
        }
        av_frame_free(&frame);
    }
}

TEST(VdlFrameConverter, StudioAndFullRangeKeepTheirLevels)
{
    // Luma 16 and 235 are black and white in studio range; in full range they are dark and light grey.
    for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P}) {
        for (const int level : {16, 235}) {
            AVFrame* frame = GreyFrame(format, 32, 16);
            ASSERT_NE(frame, nullptr);
            std::memset(frame->data[0], level, static_cast<size_t>(frame->linesize[0]) * 16);
            FrameConverter converter;
            for (const SurfaceView& view : {SurfaceView{}, SurfaceView{0, 0, 32, 16, 24, 12}}) {
                ASSERT_TRUE(converter.Convert(frame, view));
                const int expected = format == AV_PIX_FMT_YUVJ420P ? level : (level == 16 ? 0 : 255);
                const uint8_t* p = converter.Pixels() + converter.Stride() * (converter.Height() / 2) + 4 * 4;
                for (int channel = 0; channel < 3; ++channel)
                    EXPECT_NEAR(p[channel], expected, 3) << format << " luma " << level << " channel " << channel;
                EXPECT_EQ(p[3], 0xFF);
            }
            av_frame_free(&frame);
        }
    }
}

} // namespace

