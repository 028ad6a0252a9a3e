#include "FakeVdl.h"

#include "driver/KestraneDevice.h"
#include "evidence/Device.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"

#include <gtest/gtest.h>

namespace {

void Le(QByteArray& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// A BMP file image laid out by hand: red top-left pixel, blue bottom-right, grey elsewhere.
QByteArray Bmp(int w, int h, int bits, bool topDown = false, int gap = 0)
{
    const int stride = (w * bits + 31) / 32 * 4;
    QByteArray out("BM");
    Le(out, 54 + gap + stride * h, 4);
    Le(out, 0, 4);
    Le(out, 54 + gap, 4);
    Le(out, 40, 4);
    Le(out, static_cast<uint32_t>(w), 4);
    Le(out, static_cast<uint32_t>(topDown ? -h : h), 4);
    Le(out, 1, 2);
    Le(out, static_cast<uint32_t>(bits), 2);
    Le(out, 0, 4);
    Le(out, static_cast<uint32_t>(stride * h), 4);
    out.append(16, '\0');
    out.append(gap, '\x55');
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        QByteArray line;
        for (int x = 0; x < w; ++x) {
            uint8_t b = 0x80, g = 0x80, r = 0x80;
            if (x == 0 && y == 0) {
                b = 0, g = 0, r = 0xFF;
            } else if (x == w - 1 && y == h - 1) {
                b = 0xFF, g = 0, r = 0;
            }
            line.append(static_cast<char>(b)).append(static_cast<char>(g)).append(static_cast<char>(r));
            if (bits == 32) {
                line.append('\xFF');
            }
        }
        line.append(stride - line.size(), '\0');
        out.append(line);
    }
    return out;
}

struct Opened {
    Device device;
    KestraneDevice driver{&device, &FakeVdl::Adapter()};
    Video video{std::make_unique<Camera>(&device, 0)};

    Opened()
    {
        video.SetVideoFile(std::make_unique<VideoFile>());
        driver.PlaybackLocalFileOpen(&video);
        video.playbackState = PlaybackState::Paused;
    }
};

} // namespace

TEST(SnapshotTest, PictureComesFromTheBmpTheLibraryHandsOver)
{
    FakeVdl::Get().Reset();
    Opened o;
    for (bool topDown : {false, true}) {
        for (int bits : {24, 32}) {
            FakeVdl::Get().pictureWidth = 15;
            FakeVdl::Get().pictureHeight = 9;
            FakeVdl::Get().bmp = Bmp(15, 9, bits, topDown, 12);
            const QImage image = o.driver.Snapshot(&o.video);
            ASSERT_EQ(image.size(), QSize(15, 9)) << bits << topDown;
            EXPECT_EQ(image.pixel(0, 0), qRgb(0xFF, 0, 0));
            EXPECT_EQ(image.pixel(14, 8), qRgb(0, 0, 0xFF));
            EXPECT_EQ(image.pixel(3, 2), qRgb(0x80, 0x80, 0x80));
        }
    }
}

TEST(SnapshotTest, HalfHeightPicturesGetADoubledBuffer)
{
    FakeVdl::Get().Reset();
    Opened o;
    for (auto [w, h, expected] : {std::tuple{704, 240, 704u * 480 * 5}, std::tuple{704, 288, 704u * 576 * 5},
                                  std::tuple{640, 240, 640u * 240 * 5}}) {
        FakeVdl::Get().pictureWidth = w;
        FakeVdl::Get().pictureHeight = h;
        FakeVdl::Get().bmp = Bmp(2, 2, 32);
        o.driver.Snapshot(&o.video);
        EXPECT_EQ(FakeVdl::Get().lastBmpSize, expected) << w << "x" << h;
    }
}

TEST(SnapshotTest, DamagedOrMisreportedImagesGiveNoPictureAndNoOverrun)
{
    FakeVdl::Get().Reset();
    Opened o;
    FakeVdl::Get().pictureWidth = 16;
    FakeVdl::Get().pictureHeight = 16;
    QByteArray big = Bmp(100, 100, 32); // more pixels than the image it came in holds
    big.truncate(16 * 16 * 5);
    QByteArray notBmp = Bmp(16, 16, 32);
    notBmp[0] = 'X';
    QByteArray badOffset = Bmp(16, 16, 32);
    badOffset[11] = '\x7F';
    QByteArray exact(16 * 16 * 5, 'B'); // fills the buffer exactly: the terminator is not written past it
    exact[1] = 'M';
    for (const QByteArray& bmp : {big, notBmp, badOffset, exact}) {
        FakeVdl::Get().bmp = bmp;
        EXPECT_TRUE(o.driver.Snapshot(&o.video).isNull());
    }

    FakeVdl::Get().pictureWidth = 0;
    try {
        o.driver.Snapshot(&o.video);
        FAIL() << "a picture without a size cannot be captured";
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message().toStdString(), "Error while Getting Snapshot : SDK call failed: Cannot Get Sanpshot Size, "
                                             "VDL_GetPictureSize failed - 0");
    }
    FakeVdl::Get().pictureWidth = 16;
    FakeVdl::Get().Fail("GetBmp", VDL_ERR_NO_PICTURE);
    try {
        o.driver.Snapshot(&o.video);
        FAIL();
    } catch (const FalException& e) {
        EXPECT_EQ(e.Message().toStdString(),
                  "Error while Getting Snapshot : SDK call failed: Cannot Get Bitmap, VDL_GetBmp failed - 12");
    }
}

TEST(SnapshotTest, SnapshotAndFrameTakeThePictureAndItsFrameFromOneCall)
{
    FakeVdl::Get().Reset();
    FakeVdl::Get().pictureWidth = 704;
    FakeVdl::Get().pictureHeight = 240;
    FakeVdl::Get().bmp = Bmp(4, 3, 32);
    FakeVdl::Get().frameInfo.frameIndex = 125;
    FakeVdl::Get().frameInfo.playedMillis = 5000;
    Opened o;
    FakeVdl::Get().Clear();
    const SnapshotFrame shot = o.driver.SnapshotAndFrame(&o.video);
    EXPECT_EQ(FakeVdl::Get().Calls(), "GetPictureSize(1) GetBmpAndFrame(1)");
    EXPECT_EQ(FakeVdl::Get().lastBmpSize, 704u * 480u * 5u); // half-height pictures doubled, as Snapshot
    EXPECT_EQ(shot.image.size(), QSize(4, 3));
    EXPECT_EQ(shot.image.pixel(0, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(shot.frame.frameIndex, 125);
    EXPECT_EQ(shot.frame.playedMillis, 5000);
}
