// Dewarp views through the library's calls on a real port: views follow the port's frames, tables
// are built only on change, hit tests and drags land where the geometry says.
#include "DewarpGeometry.h"
#include "Port.h"
#include "PortTable.h"
#include "VdlTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <thread>

namespace {

QString FisheyeSample()
{
    return SamplePath("fisheye.mkv", [](SampleStreamOptions& o) {
        o.width = 320;
        o.height = 240;
        o.durationSeconds = 10.0;
        o.gop = 25;
        o.fisheye = true;
    });
}

int64_t Builds(int32_t port) { return PortTable::Instance().Find(port)->Dewarp().TableBuilds(); }

int32_t Open(int32_t port, int placement, int mode)
{
    int32_t sub = 0;
    EXPECT_TRUE(VDL_DewarpOpenView(port, &sub, placement, mode));
    return sub;
}

void SetPosition(int32_t port, int32_t sub, float x, float y)
{
    VDL_DewarpParams p = {};
    p.updateKind = VDL_DEWARP_UPDATE_POSITION;
    p.x = x;
    p.y = y;
    EXPECT_TRUE(VDL_DewarpSetParams(port, sub, &p));
}

} // namespace

TEST(DewarpViews, ViewsShowThePortsFramesAndTablesAreBuiltOnlyOnChange)
{
    StampSurface main, view; // outlive the port
    OpenPort p(FisheyeSample());
    ASSERT_TRUE(p.opened);
    ASSERT_TRUE(VDL_DewarpEnable(p.port));
    const int32_t ptz = Open(p.port, 3, VDL_DEWARP_PTZ);
    ASSERT_EQ(ptz, 1);
    ASSERT_TRUE(VDL_SetSurfaceView(VDL_DEWARP_VIEW(p.port, ptz), 0, 0, 0, 0, 160, 90));
    ASSERT_TRUE(VDL_DewarpSetWindow(p.port, ptz, view.Handle()));

    // The parameter block: placement | mode, a new PTZ's position and zoom, the circle.
    VDL_DewarpParams params = {};
    ASSERT_TRUE(VDL_DewarpGetParams(p.port, ptz, &params));
    EXPECT_EQ(params.placementMode, 3 | 0x100);
    EXPECT_FLOAT_EQ(params.x, 0.5f);
    EXPECT_FLOAT_EQ(params.y, 0.25f);
    EXPECT_FLOAT_EQ(params.zoom, 0.5f);
    EXPECT_FLOAT_EQ(params.circle[2], 120.0f / 320.0f);
    EXPECT_FLOAT_EQ(params.circle[3], 0.5f);

    // The view's surface alone makes the port decode; then the port's own surface too.
    ASSERT_TRUE(VDL_Play(p.port, nullptr));
    ASSERT_TRUE(WaitFor([&] { return view.Count() > 0; }));
    ASSERT_TRUE(VDL_Pause(p.port, 1));
    ASSERT_TRUE(VDL_SetSurface(p.port, main.Handle()));
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(VDL_StepForward(p.port));
        ASSERT_TRUE(WaitFor([&] { return view.LastIndex() == main.LastIndex(); })) << "step " << i;
    }
    EXPECT_EQ(view.LastPicture().width, 160);
    EXPECT_EQ(view.LastPicture().height, 90);
    ASSERT_TRUE(VDL_SeekPlayedTime(p.port, 6000));
    ASSERT_TRUE(WaitFor([&] { return view.LastIndex() == 150 && main.LastIndex() == 150; }));
    ASSERT_TRUE(VDL_StepBackward(p.port));
    ASSERT_TRUE(WaitFor([&] { return view.LastIndex() == 149; }));
    EXPECT_EQ(Builds(p.port), 1);

    // A change while paused shows the frame on screen again at once, without decoding.
    VDL_Stats before = {};
    ASSERT_TRUE(VDL_GetStats(p.port, &before));
    const size_t shown = view.Count();
    params.updateKind = VDL_DEWARP_UPDATE_ZOOM;
    params.zoom = 0.9f;
    params.placementMode = 0x1234; // ignored
    ASSERT_TRUE(VDL_DewarpSetParams(p.port, ptz, &params));
    ASSERT_TRUE(WaitFor([&] { return view.Count() > shown; }));
    EXPECT_EQ(view.LastIndex(), 149);
    VDL_Stats after = {};
    ASSERT_TRUE(VDL_GetStats(p.port, &after));
    EXPECT_EQ(after.framesDecoded, before.framesDecoded);
    EXPECT_EQ(Builds(p.port), 2);
    ASSERT_TRUE(VDL_DewarpGetParams(p.port, ptz, &params));
    EXPECT_EQ(params.placementMode, 3 | 0x100);
    EXPECT_FLOAT_EQ(params.zoom, 0.9f);

    // Dewarping stays on while a view remains.
    EXPECT_TRUE(VDL_DewarpDisable(p.port));
    EXPECT_EQ(Open(p.port, 3, VDL_DEWARP_FISHEYE), 2);
    EXPECT_TRUE(VDL_DewarpCloseView(p.port, 2));
    EXPECT_TRUE(VDL_DewarpCloseView(p.port, ptz));
    EXPECT_TRUE(VDL_DewarpDisable(p.port));
    int32_t sub = 0;
    EXPECT_FALSE(VDL_DewarpOpenView(p.port, &sub, 3, 0));
    EXPECT_EQ(VDL_GetLastError(p.port), VDL_ERR_WRONG_STATE);
}

TEST(DewarpViews, HitTestFindsThePtzWhoseOutlineHoldsThePoint)
{
    OpenPort p(FisheyeSample());
    ASSERT_TRUE(p.opened);
    ASSERT_TRUE(VDL_DewarpEnable(p.port));
    // Pattern D on a ceiling: the fisheye and three PTZ views.
    const int32_t fish = Open(p.port, 3, VDL_DEWARP_FISHEYE);
    const float points[3][2] = {{0.5f, 0.333333f}, {0.333333f, 0.666667f}, {0.666667f, 0.666667f}};
    int32_t ptz[3];
    for (int i = 0; i < 3; ++i) {
        ptz[i] = Open(p.port, 3, VDL_DEWARP_PTZ);
        SetPosition(p.port, ptz[i], points[i][0], points[i][1]);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(VDL_DewarpViewAt(p.port, fish, points[i][0], points[i][1]), ptz[i]) << i;
    EXPECT_EQ(VDL_DewarpViewAt(p.port, fish, 0.02f, 0.02f), 0); // outside the circle
    // Asked on a PTZ view: the last view that is none is searched.
    EXPECT_EQ(VDL_DewarpViewAt(p.port, ptz[0], points[1][0], points[1][1]), ptz[1]);

    // Pattern E around a 360 panorama: overlapping outlines give the last opened PTZ.
    const int32_t band = Open(p.port, 3, VDL_DEWARP_PANORAMA_360);
    const int32_t extra = Open(p.port, 3, VDL_DEWARP_PTZ);
    SetPosition(p.port, extra, 0.5f, 0.3f); // overlaps ptz[0]
    const DewarpGeometry::Setup bandSetup{3, DewarpGeometry::Panorama360, 0.5, 0.5, 0.5, 0.0};
    const DewarpGeometry geometry(bandSetup, 320, 240, 1280, 720);
    const DewarpGeometry lens(DewarpGeometry::Setup{}, 320, 240, 1, 1);
    double fx = 0, fy = 0;
    ASSERT_TRUE(geometry.ViewPoint(lens.LensRay(0.5 * 320, 0.32 * 240), &fx, &fy));
    EXPECT_EQ(VDL_DewarpViewAt(p.port, band, static_cast<float>(fx), static_cast<float>(fy)), extra);
    ASSERT_TRUE(geometry.ViewPoint(lens.LensRay(0.333333 * 320, 0.666667 * 240), &fx, &fy));
    EXPECT_EQ(VDL_DewarpViewAt(p.port, band, static_cast<float>(fx), static_cast<float>(fy)), ptz[1]);
}

TEST(DewarpViews, DragsGrabTheSceneOrFollowThePointerAndStayInTheCircle)
{
    OpenPort p(FisheyeSample());
    ASSERT_TRUE(p.opened);
    ASSERT_TRUE(VDL_DewarpEnable(p.port));
    const int32_t fish = Open(p.port, 1, VDL_DEWARP_FISHEYE);
    const int32_t ptz = Open(p.port, 1, VDL_DEWARP_PTZ);
    ASSERT_TRUE(VDL_SetSurfaceView(VDL_DEWARP_VIEW(p.port, ptz), 0, 0, 0, 0, 640, 360));
    float x = 0, y = 0;

    // Grab: the ray under the press comes under the pointer.
    ASSERT_TRUE(VDL_DewarpMapDrag(p.port, ptz, ptz, 0.5f, 0.5f, 0.4f, 0.45f, 0.6f, 0.55f, &x, &y));
    DewarpGeometry::Setup setup{1, DewarpGeometry::Ptz, 0.5, 0.5, 0.5, 0.0};
    DewarpVec ray;
    ASSERT_TRUE(DewarpGeometry(setup, 320, 240, 640, 360).ViewRay(0.4, 0.45, &ray));
    setup.x = x;
    setup.y = y;
    double fx = 0, fy = 0;
    ASSERT_TRUE(DewarpGeometry(setup, 320, 240, 640, 360).ViewPoint(ray, &fx, &fy));
    EXPECT_NEAR(fx, 0.6, 1e-3);
    EXPECT_NEAR(fy, 0.55, 1e-3);
    EXPECT_LT(x, 0.5f); // a rightward drag turns the view left: the picture moves right

    // From the fisheye view the PTZ follows the pointer.
    ASSERT_TRUE(VDL_DewarpMapDrag(p.port, ptz, fish, 0.5f, 0.5f, 0.5f, 0.5f, 0.55f, 0.45f, &x, &y));
    EXPECT_NEAR(x, 0.55f, 1e-4);
    EXPECT_NEAR(y, 0.45f, 1e-4);

    // Far outside: back on the circle's rim.
    ASSERT_TRUE(VDL_DewarpMapDrag(p.port, ptz, fish, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 0.5f, &x, &y));
    EXPECT_LE(std::hypot((x - 0.5) * 320, (y - 0.5) * 240), 120.0);
    EXPECT_GT(x, 0.8f);

    // Only a PTZ is moved; unknown views are refused.
    EXPECT_FALSE(VDL_DewarpMapDrag(p.port, fish, fish, 0.5f, 0.5f, 0.f, 0.f, 1.f, 1.f, &x, &y));
    EXPECT_EQ(VDL_GetLastError(p.port), VDL_ERR_BAD_MODE);
    EXPECT_FALSE(VDL_DewarpMapDrag(p.port, 9, fish, 0.5f, 0.5f, 0.f, 0.f, 1.f, 1.f, &x, &y));
    EXPECT_EQ(VDL_GetLastError(p.port), VDL_ERR_BAD_SUBPORT);
}

TEST(DewarpViews, ClosingViewsWhilePlayingNeverCallsAGoneSurface)
{
    StampSurface main, last; // outlive the port
    OpenPort p(FisheyeSample());
    ASSERT_TRUE(p.opened);
    ASSERT_TRUE(VDL_DewarpEnable(p.port));
    ASSERT_TRUE(VDL_Play(p.port, main.Handle()));
    for (int round = 0; round < 20; ++round) {
        auto surface = std::make_unique<StampSurface>();
        const int32_t sub = Open(p.port, 3, round % 2 ? VDL_DEWARP_PTZ : VDL_DEWARP_PANORAMA_360);
        ASSERT_TRUE(VDL_SetSurfaceView(VDL_DEWARP_VIEW(p.port, sub), 0, 0, 0, 0, 96, 54));
        ASSERT_TRUE(VDL_DewarpSetOutlineMode(p.port, sub, 2));
        ASSERT_TRUE(VDL_DewarpSetWindow(p.port, sub, surface->Handle()));
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * (round % 4)));
        ASSERT_TRUE(VDL_DewarpCloseView(p.port, sub));
        surface.reset(); // gone: the library must not call it any more
    }
    const int32_t sub = Open(p.port, 3, VDL_DEWARP_PTZ);
    ASSERT_TRUE(VDL_DewarpSetWindow(p.port, sub, last.Handle()));
    ASSERT_TRUE(WaitFor([&] { return last.Count() > 0; }));
}
