#include "map/COSMCtrlCorner.h"
#include "map/COSMCtrlGeodesic.h"
#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlScaleBar.h"
#include "map/COSMCtrlView.h"
#include "map/COSMCtrlZoomBar.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

using P = COSMCtrlProjection;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(MapGeometryTest, TileCoordinatesMatchPublishedTilesAndRoundTripAtEveryLevel)
{
    // Tiles of well-known places on the public tile servers.
    struct Case {
        double lon, lat;
        int z, x, y;
    };
    for (const Case& c : {Case{13.405, 52.52, 12, 2200, 1343}, Case{151.2093, -33.8688, 10, 942, 614},
                          Case{-0.1276, 51.5072, 0, 0, 0}, Case{-74.006, 40.7128, 5, 9, 12}}) {
        SCOPED_TRACE(c.z);
        EXPECT_EQ(int(std::floor(P::TileX(c.lon, c.z))), c.x);
        EXPECT_EQ(int(std::floor(P::TileY(c.lat, c.z))), c.y);
    }
    EXPECT_EQ(P::TilesPerSide(2), 4.0);
    EXPECT_EQ(P::TilesPerSide(18), 262144.0);
    for (int z = 0; z <= 18; ++z) {
        for (const COSMCtrlPosition& p : {COSMCtrlPosition(13.405, 52.52), COSMCtrlPosition(-179.99, -85.0),
                                          COSMCtrlPosition(179.99, 85.0), COSMCtrlPosition(0.0, 0.0)}) {
            const COSMCtrlPosition back = P::PositionFromTile(P::TileFromPosition(p, z), z);
            EXPECT_NEAR(back.longitude, p.longitude, 1e-9) << "z " << z;
            EXPECT_NEAR(back.latitude, p.latitude, 1e-9) << "z " << z;
        }
    }
}

TEST(MapGeometryTest, CenterAndZoomRulesNormaliseOrRefuse)
{
    struct Case {
        double zoom, rotation, lon, lat;
        bool accepted;
        double wantRotation, wantLon;
    };
    const Case cases[] = {
        {12.0, 0.0, 190.0, 0.0, true, 0.0, -170.0},
        {12.0, 0.0, -190.0, 0.0, true, 0.0, 170.0},
        {12.0, 0.0, 540.0, 0.0, true, 0.0, 180.0},
        {12.0, -90.0, 0.0, 0.0, true, 270.0, 0.0},
        {12.0, 725.0, 0.0, 0.0, true, 5.0, 0.0},
        {12.0, 360.0, 0.0, 0.0, true, 360.0, 0.0},
        {3.0, 0.0, 0.0, 85.0511, true, 0.0, 0.0},   // just inside the top edge
        {3.0, 0.0, 0.0, 85.06, false, 0.0, 0.0},    // above it
        {3.0, 0.0, 0.0, -85.06, false, 0.0, 0.0},
        {18.5, 0.0, 0.0, 0.0, false, 0.0, 0.0},
        {-1.0, 0.0, 0.0, 0.0, false, 0.0, 0.0},
        {kNaN, 0.0, 0.0, 0.0, false, 0.0, 0.0},
        {3.0, 0.0, 0.0, kNaN, false, 0.0, 0.0},
        {3.0, 0.0, kNaN, 0.0, false, 0.0, 0.0},
        {3.0, 0.0, kInf, 0.0, false, 0.0, 0.0},
        {3.0, kNaN, 0.0, 0.0, false, 0.0, 0.0},
        {3.0, -kInf, 0.0, 0.0, false, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zoom << " " << c.rotation << " " << c.lon << "," << c.lat);
        double zoom = c.zoom;
        double rotation = c.rotation;
        COSMCtrlPosition position(c.lon, c.lat);
        position.altitude = 812.5;
        ASSERT_EQ(COSMCtrlView::Normalise(zoom, rotation, position), c.accepted);
        if (c.accepted) {
            EXPECT_DOUBLE_EQ(rotation, c.wantRotation);
            EXPECT_DOUBLE_EQ(position.longitude, c.wantLon);
            EXPECT_EQ(position.altitude, 812.5);  // carried along
        } else {
            EXPECT_TRUE(std::isnan(c.lon) || position.longitude == c.lon);  // untouched
        }
    }
    // A huge longitude is brought back in one step, not by subtracting 360 for ever.
    double zoom = 0.0;
    double rotation = 1e300;
    COSMCtrlPosition far(1e300, 0.0);
    ASSERT_TRUE(COSMCtrlView::Normalise(zoom, rotation, far));
    EXPECT_TRUE(far.longitude >= -180.0 && far.longitude <= 180.0);
    EXPECT_TRUE(rotation >= 0.0 && rotation <= 360.0);
}

TEST(MapGeometryTest, PositionFromPointInvertsTheDrawingUnderRotation)
{
    const QSizeF client(1024, 768);
    const COSMCtrlPosition centre(13.405, 52.52);
    for (double rotation : {0.0, 30.0, 90.0, 211.5}) {
        SCOPED_TRACE(rotation);
        const COSMCtrlView view(centre, 12.4, rotation, client);
        for (const COSMCtrlPosition& p : {COSMCtrlPosition(13.41, 52.53), COSMCtrlPosition(13.39, 52.515)}) {
            const std::optional<QPointF> drawn = view.PointFromPosition(p);
            ASSERT_TRUE(drawn);
            const std::optional<COSMCtrlPosition> back = view.PositionFromPoint(*drawn);
            ASSERT_TRUE(back);
            EXPECT_NEAR(back->longitude, p.longitude, 1e-9);
            EXPECT_NEAR(back->latitude, p.latitude, 1e-9);
        }
        const std::optional<COSMCtrlPosition> middle = view.PositionFromPoint(QPointF(512, 384));
        ASSERT_TRUE(middle);
        EXPECT_NEAR(middle->longitude, centre.longitude, 1e-9);
    }
    // The drawing turns by -rotation: at 90 degrees a place east of the centre shows above it.
    const COSMCtrlView turned(centre, 12.0, 90.0, client);
    const std::optional<QPointF> east = turned.PointFromPosition(COSMCtrlPosition(13.45, 52.52));
    ASSERT_TRUE(east);
    EXPECT_NEAR(east->x(), 512.0, 1e-6);
    EXPECT_NEAR(east->y(), 384.0 - (P::TileX(13.45, 12) - P::TileX(13.405, 12)) * 256.0, 1e-6);

    // Above and below the map there is no position; sideways the world repeats.
    const COSMCtrlView world(COSMCtrlPosition(0, 0), 0.0, 0.0, client);
    EXPECT_FALSE(world.PositionFromPoint(QPointF(512, 100)));
    EXPECT_FALSE(world.PositionFromPoint(QPointF(512, 700)));
    const std::optional<COSMCtrlPosition> repeated = world.PositionFromPoint(QPointF(512 + 256 + 64, 384));
    ASSERT_TRUE(repeated);
    EXPECT_NEAR(repeated->longitude, 90.0, 1e-9);
}

TEST(MapGeometryTest, ZoomingKeepsThePointUnderThePointerAndDragsMoveByTiles)
{
    const COSMCtrlView view(COSMCtrlPosition(13.405, 52.52), 12.0, 30.0, QSizeF(1024, 768));
    const QPointF pointer(800, 200);
    const COSMCtrlPosition under = *view.PositionFromPoint(pointer);
    for (double zoom : {13.0, 11.0, 12.5}) {
        const COSMCtrlView after(view.CentreKeeping(pointer, zoom), zoom, 30.0, QSizeF(1024, 768));
        const COSMCtrlPosition now = *after.PositionFromPoint(pointer);
        EXPECT_NEAR(now.longitude, under.longitude, 1e-9) << zoom;
        EXPECT_NEAR(now.latitude, under.latitude, 1e-9) << zoom;
    }
    // A drag by one tile to the right moves the centre one column west.
    const COSMCtrlView plain(COSMCtrlPosition(13.405, 52.52), 12.0, 0.0, QSizeF(1024, 768));
    const COSMCtrlPosition dragged = plain.CentreAfterDrag(QPointF(256, 0));
    EXPECT_NEAR(dragged.longitude, 13.405 - 360.0 / 4096.0, 1e-9);
    EXPECT_NEAR(dragged.latitude, 52.52, 1e-9);
}

TEST(MapGeometryTest, ScaleBarRoundsOneTileToAFigureAndALength)
{
    struct Case {
        double lon, lat, zoom;
        bool imperial;
        const char* text;
        int length;
    };
    for (const Case& c : {Case{0, 0, 10, false, "40 Kilometers", 262}, Case{0, 0, 10, true, "30 Miles", 316},
                          Case{0, 0, 18, false, "200 Meters", 335}, Case{0, 0, 18, true, "0.100 Miles", 269},
                          Case{13.405, 52.52, 12, false, "6 Kilometers", 257}}) {
        SCOPED_TRACE(c.text);
        const std::optional<COSMCtrlScaleBar> bar = COSMCtrlScaleBar::Compute(COSMCtrlPosition(c.lon, c.lat), c.zoom,
                                                                              c.imperial);
        ASSERT_TRUE(bar);
        EXPECT_EQ(bar->text, QLatin1String(c.text));
        EXPECT_EQ(bar->length, c.length);
    }
    // Half a world and a whole column at zoom 0 and 1 reach the antipode, where the ellipsoid
    // iteration does not settle: the bar still comes, from the sphere.
    for (double zoom : {0.0, 0.5, 1.0}) {
        const std::optional<COSMCtrlScaleBar> bar = COSMCtrlScaleBar::Compute(COSMCtrlPosition(0, 0), zoom, false);
        ASSERT_TRUE(bar) << zoom;
        EXPECT_GT(bar->length, 0);
    }
    EXPECT_EQ(COSMCtrlScaleBar::Compute(COSMCtrlPosition(0, 0), 1.0, false)->text, QLatin1String("30000 Kilometers"));
    EXPECT_FALSE(COSMCtrlScaleBar::Compute(COSMCtrlPosition(0, kNaN), 5.0, false));

    EXPECT_DOUBLE_EQ(COSMCtrlScaleBar::RoundValue(3.7), 4.0);
    EXPECT_NEAR(COSMCtrlScaleBar::RoundValue(0.37), 0.4, 1e-12);
    EXPECT_DOUBLE_EQ(COSMCtrlScaleBar::RoundValue(12.0), 20.0);
    EXPECT_DOUBLE_EQ(COSMCtrlScaleBar::RoundValue(4.0), 4.0);

    EXPECT_FALSE(COSMCtrlScaleBar::UseImperial(0, QLocale::MetricSystem));
    EXPECT_TRUE(COSMCtrlScaleBar::UseImperial(0, QLocale::ImperialUSSystem));
    EXPECT_TRUE(COSMCtrlScaleBar::UseImperial(0, QLocale::ImperialUKSystem));
    EXPECT_FALSE(COSMCtrlScaleBar::UseImperial(1, QLocale::ImperialUSSystem));
    EXPECT_TRUE(COSMCtrlScaleBar::UseImperial(2, QLocale::MetricSystem));
}

TEST(MapGeometryTest, EllipsoidDistanceMatchesTheSurveyAndFallsBackAtTheAntipode)
{
    // Flinders Peak to Buninyong, the classic check of the inverse formula: 54,972.271 m.
    const COSMCtrlPosition flinders(144.0 + 25.0 / 60 + 29.52440 / 3600, -(37.0 + 57.0 / 60 + 3.72030 / 3600));
    const COSMCtrlPosition buninyong(143.0 + 55.0 / 60 + 35.38390 / 3600, -(37.0 + 39.0 / 60 + 10.15610 / 3600));
    EXPECT_NEAR(COSMCtrlGeodesic::EllipsoidDistance(flinders, buninyong), 54972.271, 0.001);
    EXPECT_EQ(COSMCtrlGeodesic::EllipsoidDistance(flinders, flinders), 0.0);
    // One degree of the equator is a / 57.29... on the ellipsoid.
    EXPECT_NEAR(COSMCtrlGeodesic::EllipsoidDistance(COSMCtrlPosition(0, 0), COSMCtrlPosition(1, 0)),
                6378137.0 / P::kDegreesPerRadian, 1e-6);
    const double halfWorld = std::acos(-1.0) * COSMCtrlGeodesic::kSphereRadius;
    for (const COSMCtrlPosition& other : {COSMCtrlPosition(180, 0), COSMCtrlPosition(179.9, 0.05)}) {
        const double d = COSMCtrlGeodesic::EllipsoidDistance(COSMCtrlPosition(0, 0), other);
        EXPECT_TRUE(std::isfinite(d));
        EXPECT_NEAR(d, halfWorld, 40000.0);
    }
    EXPECT_TRUE(std::isnan(COSMCtrlGeodesic::EllipsoidDistance(COSMCtrlPosition(0, kNaN), COSMCtrlPosition(1, 0))));
    EXPECT_NEAR(COSMCtrlGeodesic::SphereDistance(COSMCtrlPosition(0, 0), COSMCtrlPosition(180, 0)), halfWorld, 1e-6);
}

TEST(MapGeometryTest, CornersZoomBarAndSliderMappings)
{
    const QSize client(800, 600);
    EXPECT_EQ(COSMCtrlCorner::Point(client, 0, 15, 69), QPoint(15, 69));
    EXPECT_EQ(COSMCtrlCorner::Point(client, 1, 15, 69), QPoint(785, 69));
    EXPECT_EQ(COSMCtrlCorner::Point(client, 2, 15, 15), QPoint(15, 585));
    EXPECT_EQ(COSMCtrlCorner::Point(client, 3, 15, 15), QPoint(785, 585));
    // The slider's rectangle: 20 further left at right corners, 246 higher at bottom corners.
    EXPECT_EQ(COSMCtrlZoomBar::BarRect(client, 0, 15, 69), QRect(15, 69, 20, 246));
    EXPECT_EQ(COSMCtrlZoomBar::BarRect(client, 3, 15, 15), QRect(765, 339, 20, 246));

    EXPECT_EQ(COSMCtrlZoomBar::SliderPosition(18.0), 0);
    EXPECT_EQ(COSMCtrlZoomBar::SliderPosition(3.0), 150);
    EXPECT_EQ(COSMCtrlZoomBar::SliderPosition(0.0), 180);
    EXPECT_DOUBLE_EQ(COSMCtrlZoomBar::ZoomFromSliderPosition(145), 3.5);

    const QRect bar(15, 69, 20, 246);
    const int bottom = 69 + 246;
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, bottom - 8), 0.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, bottom - 8 - 11 * 7), 7.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, bottom - 8 - 11 * 7 + 1), 6.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, 70), 18.0);  // clamped
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, bottom + 5), 0.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarDrag(bar, 69), 18.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarDrag(bar, 69 + 11 * 18), 0.0);
    EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarDrag(bar, 69 + 16), 16.0);  // 18 - 1.45
    // Every level's mark lies in the band a press maps back to that level.
    for (int level = 0; level <= 18; ++level) {
        EXPECT_EQ(COSMCtrlZoomBar::ZoomFromBarPress(bar, COSMCtrlZoomBar::LevelY(bar, level)), double(level));
    }
}

} // namespace
