// The tile's zoom and pan arithmetic and its layout, without a window.
#include "viewer/VideoPlayerLayout.h"
#include "viewer/VideoPlayerZoom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The frame point shown at a container point, for a frame of the container's size.
QPointF FramePointAt(const VideoPlayerZoom& z, const QPoint& containerPoint)
{
    const QRect p = z.Picture();
    const QSize v = z.VisibleSize();
    return QPointF(static_cast<double>(containerPoint.x() - p.left()) * v.width() / p.width(),
                   static_cast<double>(containerPoint.y() - p.top()) * v.height() / p.height());
}

} // namespace

TEST(VideoPlayerZoomTest, WheelStepsStopBeforeThreeAndKeepTheCentre)
{
    VideoPlayerZoom z;
    z.Resize(QSize(400, 300));
    EXPECT_FALSE(z.ZoomBy(VideoPlayerZoom::kStepOut)) << "a backward turn at zoom 1 does nothing";
    const QPoint centre(200, 150);
    QPointF before = FramePointAt(z, centre);
    int steps = 0;
    while (z.ZoomBy(VideoPlayerZoom::kStepIn)) {
        ++steps;
        // The point under the visible centre stays there, to the pixel (the integer
        // steps may move it by less than one).
        const QPointF now = FramePointAt(z, centre);
        EXPECT_LT(std::abs(now.x() - before.x()), 1.0) << "step " << steps;
        EXPECT_LT(std::abs(now.y() - before.y()), 1.0) << "step " << steps;
        before = now;
    }
    EXPECT_EQ(steps, 11);
    EXPECT_LT(z.Factor(), 3.0);
    EXPECT_GT(z.Factor(), 2.8);
    const QRect refused = z.Picture();
    EXPECT_FALSE(z.ZoomBy(VideoPlayerZoom::kStepIn));
    EXPECT_EQ(z.Picture(), refused);
    // Back out: the picture returns to the container exactly.
    while (z.ZoomBy(VideoPlayerZoom::kStepOut)) {
    }
    EXPECT_EQ(z.Picture(), QRect(0, 0, 400, 300));
}

TEST(VideoPlayerZoomTest, RectangleZoomBringsItsCornerToTheTopLeftAndRefusesNarrowOnesAndZoomThree)
{
    VideoPlayerZoom z;
    z.Resize(QSize(400, 300));
    // Drawn from bottom-right to top-left: the same rectangle.
    ASSERT_TRUE(z.ZoomToRect(QPoint(250, 200), QPoint(100, 80)));
    EXPECT_EQ(z.Picture().size(), QSize(1066, 800)) << "400 x 400 / 150, truncated";
    EXPECT_EQ(z.Picture().topLeft(), QPoint(static_cast<int>(-100 * 400.0 / 150.0), static_cast<int>(-80 * 400.0 / 150.0)));
    EXPECT_NEAR(FramePointAt(z, QPoint(0, 0)).x(), 100, 0.5);
    EXPECT_NEAR(FramePointAt(z, QPoint(0, 0)).y(), 80, 0.5);

    VideoPlayerZoom narrow;
    narrow.Resize(QSize(400, 300));
    EXPECT_FALSE(narrow.ZoomToRect(QPoint(100, 50), QPoint(100, 250))) << "no width";
    EXPECT_EQ(narrow.Picture(), QRect(0, 0, 400, 300));

    VideoPlayerZoom three;
    three.Resize(QSize(400, 300));
    ASSERT_TRUE(three.ZoomToRect(QPoint(0, 0), QPoint(10, 10))) << "limited to 3";
    EXPECT_DOUBLE_EQ(three.Factor(), 3.0);
    const QRect at3 = three.Picture();
    EXPECT_FALSE(three.ZoomToRect(QPoint(50, 50), QPoint(100, 100)));
    EXPECT_EQ(three.Picture(), at3);

    // A rectangle near the far corner is clamped: the picture still covers the container.
    VideoPlayerZoom edge;
    edge.Resize(QSize(400, 300));
    ASSERT_TRUE(edge.ZoomToRect(QPoint(390, 290), QPoint(300, 220)));
    EXPECT_EQ(edge.Picture().right() + 1, 400);
    EXPECT_EQ(edge.Picture().bottom() + 1, 300);
}

TEST(VideoPlayerZoomTest, PanMovesEachAxisOnlyWhileThePictureCoversIt)
{
    VideoPlayerZoom z;
    z.Resize(QSize(400, 300));
    EXPECT_FALSE(z.PanBy(QPoint(10, 10))) << "nothing to pan at zoom 1";
    z.ZoomToRect(QPoint(100, 100), QPoint(300, 200));  // factor 2
    const QRect start = z.Picture();
    ASSERT_EQ(start.size(), QSize(800, 600));
    EXPECT_TRUE(z.PanBy(QPoint(-20, 15)));
    EXPECT_EQ(z.Picture().topLeft(), start.topLeft() + QPoint(-20, 15));
    // Far past the left edge: x stays, y still moves.
    const QRect before = z.Picture();
    EXPECT_TRUE(z.PanBy(QPoint(1000, -5)));
    EXPECT_EQ(z.Picture().topLeft(), before.topLeft() + QPoint(0, -5));
    EXPECT_FALSE(z.PanBy(QPoint(1000, 1000)));
}

TEST(VideoPlayerZoomTest, ResizeKeepsTheVisiblePartAndAContainerWithoutAreaKeepsTheZoom)
{
    VideoPlayerZoom z;
    z.Resize(QSize(400, 300));
    z.ZoomToRect(QPoint(100, 60), QPoint(200, 160));  // factor 4 -> 3
    const QPointF corner = FramePointAt(z, QPoint(0, 0));
    const double factor = z.Factor();
    z.Resize(QSize(800, 600));
    EXPECT_NEAR(z.Factor(), factor, 0.01);
    // Twice the container: the same part of the picture (as fractions of the frame).
    const QPointF scaled = FramePointAt(z, QPoint(0, 0));
    EXPECT_NEAR(scaled.x() / 800, corner.x() / 400, 0.005);
    EXPECT_NEAR(scaled.y() / 600, corner.y() / 300, 0.005);

    const QRect kept = z.Picture();
    z.Resize(QSize(800, 0));
    EXPECT_FALSE(z.HasArea());
    EXPECT_FALSE(z.ZoomBy(VideoPlayerZoom::kStepOut));
    EXPECT_FALSE(z.PanBy(QPoint(-5, -5)));
    EXPECT_EQ(z.Picture(), kept);
    z.Resize(QSize(800, 600));
    EXPECT_EQ(z.Picture(), kept) << "back to the size it had: the same picture";

    // Unzoomed, a resize just follows the container.
    VideoPlayerZoom plain;
    plain.Resize(QSize(0, 0));
    plain.Resize(QSize(320, 200));
    EXPECT_EQ(plain.Picture(), QRect(0, 0, 320, 200));
}

TEST(VideoPlayerZoomTest, ViewIsThePartOfTheFrameShownAtTheSizeShownAndFractionsArePictureFractions)
{
    VideoPlayerZoom z;
    z.Resize(QSize(320, 180));
    EXPECT_EQ(z.ViewOf(QSize(640, 360)), (VideoPlayerZoom::View{QRect(0, 0, 640, 360), QSize(320, 180)}));
    z.ZoomToRect(QPoint(160, 90), QPoint(320, 180));  // factor 2, the bottom-right quarter
    EXPECT_EQ(z.ViewOf(QSize(640, 360)), (VideoPlayerZoom::View{QRect(320, 180, 320, 180), QSize(320, 180)}));
    // Where such a frame's part lands in the picture (its own coordinates).
    EXPECT_EQ(VideoPlayerZoom::Place(QRect(320, 180, 320, 180), QSize(640, 360), QSize(640, 360)),
              QRectF(320, 180, 320, 180));

    // A dewarp drag point is a fraction of the picture, not of the container.
    EXPECT_EQ(z.FractionOf(QPoint(0, 0)), QPointF(0.5, 0.5));
    EXPECT_EQ(z.FractionOf(QPoint(400, -50)), QPointF(1.0, 130.0 / 360.0)) << "x clamped";

    VideoPlayerZoom none;
    EXPECT_EQ(none.ViewOf(QSize(640, 360)), VideoPlayerZoom::View{});
}

TEST(VideoPlayerLayoutTest, StripsTopAndBottomContainerBetweenOrEverywhereInOverlay)
{
    const VideoPlayerLayout l = VideoPlayerLayout::Of(QSize(300, 200), 22, 20, false);
    EXPECT_EQ(l.caption, QRect(0, 0, 300, 22));
    EXPECT_EQ(l.container, QRect(0, 22, 300, 158));
    EXPECT_EQ(l.status, QRect(0, 180, 300, 20));
    EXPECT_EQ(VideoPlayerLayout::Of(QSize(300, 200), 22, 20, true).container, QRect(0, 0, 300, 200));
    EXPECT_EQ(VideoPlayerLayout::Of(QSize(300, 30), 22, 20, false).container.height(), 0);
}
