#include "metadata/CTimelineMapViewDlg.h"

#include "map/COSMCtrl.h"
#include "map/COSMCtrlPolyline.h"
#include "map/COSMCtrlTileCache.h"

#include <QElapsedTimer>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

MetadataSample At(double longitude, double latitude)
{
    MetadataSample s;
    s.longitude = longitude;
    s.latitude = latitude;
    s.longitudeHemisphere = longitude < 0 ? QStringLiteral("W") : QStringLiteral("E");
    s.latitudeHemisphere = latitude < 0 ? QStringLiteral("S") : QStringLiteral("N");
    return s;
}

} // namespace

TEST(TimelineMapViewDlg, TrackKeepsTwoMarkersAndOneLinePerSegment)
{
    QElapsedTimer made;
    made.start();
    CTimelineMapViewDlg dlg;
    // The refused loopback server answers the availability check at once.
    EXPECT_LT(made.elapsed(), 4000);
    EXPECT_FALSE(dlg.Map()->TileCache()->IsInternetAvailable());
    EXPECT_FALSE(dlg.isModal());
    dlg.SetDeviceName(QStringLiteral("Bus 12"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Map - Bus 12"));

    COSMCtrl* map = dlg.Map();
    dlg.UpdateVehicleInfo(At(151.2100, -33.8568));
    EXPECT_EQ(map->Markers().size(), 1u);
    EXPECT_TRUE(map->Polylines().empty());
    EXPECT_EQ(map->GetZoom(), 16.0);
    EXPECT_EQ(dlg.Value(1090)->text(), QStringLiteral("33° 51.408000' S"));

    dlg.UpdateVehicleInfo(At(151.2110, -33.8570));
    ASSERT_EQ(map->Polylines().size(), 1u);
    const COSMCtrlPolyline& line = map->Polylines()[0];
    ASSERT_EQ(line.nodes.size(), 2u);
    EXPECT_DOUBLE_EQ(line.nodes[0].position.longitude, 151.2100);
    EXPECT_DOUBLE_EQ(line.nodes[1].position.longitude, 151.2110);
    EXPECT_EQ(line.lineWidth, 5.0);
    EXPECT_EQ(line.dashStyle, COSMCtrlPolyline::kDashDot);
    EXPECT_EQ(line.dashOffset, 3.0);
    EXPECT_EQ(line.dashCap, COSMCtrlPolyline::kCapRound);
    EXPECT_EQ(line.startCap, COSMCtrlPolyline::kCapTriangle);
    EXPECT_EQ(line.endCap, COSMCtrlPolyline::kCapSquare);
    EXPECT_EQ(line.lineJoin, COSMCtrlPolyline::kJoinBevel);
    EXPECT_EQ(line.minZoom, 3.0);
    // Left at its default: only the two node dots are drawn.
    EXPECT_EQ(line.drawStyle, COSMCtrlPolyline::kDrawNodes);
    EXPECT_EQ(map->Markers().size(), 2u);

    dlg.UpdateVehicleInfo(At(151.2120, -33.8572));
    EXPECT_EQ(map->Markers().size(), 2u);
    EXPECT_EQ(map->Polylines().size(), 2u);
    EXPECT_DOUBLE_EQ(map->Markers().back().position.longitude, 151.2120);
    EXPECT_DOUBLE_EQ(map->GetCenter().longitude, 151.2120);

    dlg.ClearTrack();
    EXPECT_TRUE(map->Markers().empty());
    EXPECT_TRUE(map->Polylines().empty());
    dlg.UpdateVehicleInfo(At(10.0, 50.0));
    EXPECT_EQ(map->Markers().size(), 1u);
    EXPECT_TRUE(map->Polylines().empty());
}
