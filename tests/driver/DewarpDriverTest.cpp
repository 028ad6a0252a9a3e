// The driver's dewarp operations against the stand-in library: the calls each layout makes, in
// order, and the hit test, drag, release and disable rules.
#include "FakeVdl.h"

#include "driver/DewarpLayouts.h"
#include "driver/KestraneDevice.h"
#include "evidence/Device.h"
#include "evidence/EvidenceTime.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"
#include "evidence/VideoFile.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    Device device;
    KestraneDevice driver{&device, &FakeVdl::Adapter()};
    std::vector<std::unique_ptr<Video>> videos;
    Video* fisheye = nullptr;

    explicit Fixture(const QString& mount)
    {
        device.SetDeviceType(1);
        fisheye = Add(nullptr, mount);
        driver.PlaybackLocalFileOpen(fisheye);
        fisheye->playbackState = PlaybackState::Playing;
        FakeVdl::Get().Clear();
    }

    // A view of the fisheye camera (root set), or the camera itself when root is null.
    Video* Add(Video* root, const QString& mount = QString())
    {
        auto video = std::make_unique<Video>(std::make_unique<Camera>(&device, 0));
        auto file = std::make_unique<VideoFile>();
        file->path = QStringLiteral("/evidence/fish.video");
        file->mountType = mount;
        video->SetVideoFile(std::move(file));
        video->rootCamera = root;
        video->playbackState = PlaybackState::Playing;
        videos.push_back(std::move(video));
        return videos.back().get();
    }

    VideoList Views(int n, int layoutMode)
    {
        VideoList list;
        for (int i = 0; i < n; ++i)
            list.push_back(Add(fisheye));
        list.front()->dewarpLayoutMode = layoutMode;
        return list;
    }
};

class DewarpDriverTest : public ::testing::Test {
protected:
    void SetUp() override { FakeVdl::Get().Reset(); }
};

std::string Message(const std::function<void()>& body)
{
    try {
        body();
    } catch (const FalException& e) {
        return e.Message().toStdString();
    }
    return "(no failure)";
}

// The calls of one layout after the enable, compactly: "O p,m" open, "P kind,x,y,zoom" params,
// "W" window, "L mode" outline.
std::string Compact()
{
    std::string s;
    for (const std::string& c : FakeVdl::Get().calls) {
        std::string item;
        if (c.rfind("DewarpOpenView(1,", 0) == 0)
            item = "O" + c.substr(17, c.size() - 18);
        else if (c.rfind("DewarpSetParams(1,", 0) == 0)
            item = "P" + c.substr(c.find(',', 18) + 1, c.size() - c.find(',', 18) - 2);
        else if (c.rfind("DewarpSetWindow", 0) == 0)
            item = "W";
        else if (c.rfind("DewarpSetOutlineMode(1,", 0) == 0)
            item = "L" + c.substr(c.rfind(',') + 1, 1);
        else if (c == "DewarpEnable(1)")
            item = "E";
        else
            item = "?" + c;
        s += (s.empty() ? "" : " ") + item;
    }
    return s;
}

} // namespace

TEST_F(DewarpDriverTest, PlacementsFromTheMountTextAndEveryLayoutRow)
{
    bool known = true;
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("Wall"), &known), 1);
    EXPECT_TRUE(known);
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("Desktop")), 2);
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("Ceiling")), 3);
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("ceiling"), &known), 3);
    EXPECT_FALSE(known);
    // As the tag gives it: padded with NULs to 20 code units; the comparison stops at the first.
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("Wall") + QString(16, QChar(0)), &known), 1);
    EXPECT_TRUE(known);
    EXPECT_EQ(DewarpLayouts::PlacementOf(QStringLiteral("Desktop") + QString(13, QChar(0))), 2);
    EXPECT_EQ(DewarpLayouts::PlacementOf(QString(20, QChar(0)) , &known), 3);
    EXPECT_FALSE(known);

    // Views per placement (wall, desktop, ceiling) and outline mode (-1 not set), for each row.
    const struct {
        int mode;
        int views[3];
        int outline;
    } rows[] = {{3, {0, 1, 1}, 0},  {4, {4, 4, 4}, 2},  {6, {9, 9, 9}, 1},  {7, {1, 0, 0}, -1}, {8, {4, 0, 0}, 2},
                {9, {9, 0, 0}, 1},  {10, {0, 1, 1}, 0}, {11, {0, 1, 1}, 0}, {13, {0, 2, 2}, 2}, {14, {0, 4, 4}, 2},
                {15, {0, 7, 7}, 2}, {16, {0, 9, 9}, 1}, {17, {0, 0, 2}, -1}, {18, {4, 4, 4}, -1}, {19, {0, 0, 1}, 0},
                {1, {0, 0, 0}, -1}, {12, {0, 0, 0}, -1}};
    for (const auto& row : rows) {
        for (int placement = 1; placement <= 3; ++placement) {
            const DewarpLayouts::Plan plan = DewarpLayouts::For(placement, row.mode);
            EXPECT_EQ(int(plan.views.size()), row.views[placement - 1]) << "mode " << row.mode << " placement " << placement;
            if (!plan.views.empty()) {
                EXPECT_EQ(plan.outlineMode, row.outline) << "mode " << row.mode;
            }
        }
    }
    // Patterns C, F and G use the ceiling whatever the mount.
    EXPECT_EQ(DewarpLayouts::For(2, 13).views[1].placement, 3);
    EXPECT_EQ(DewarpLayouts::For(2, 15).views[6].placement, 3);
    // The wall's own corrections.
    EXPECT_EQ(DewarpLayouts::For(1, 7).views[0].mode, 0x400);
    EXPECT_EQ(DewarpLayouts::For(1, 9).views[0].mode, 0x400);
}

TEST_F(DewarpDriverTest, LayoutsCallTheLibraryInOrder)
{
    {
        Fixture f(QStringLiteral("Ceiling"));
        f.driver.DewarpLayoutPlay(f.Views(4, 14)); // D with 0x300
        EXPECT_EQ(Compact(), "E O3,768 W O3,256 P8,0.500,0.333,0.000,0.000 W O3,256 P8,0.333,0.667,0.000,0.000 W "
                             "O3,256 P8,0.667,0.667,0.000,0.000 W L2");
    }
    {
        FakeVdl::Get().Reset();
        Fixture f(QStringLiteral("Wall"));
        f.driver.DewarpLayoutPlay(f.Views(4, 18)); // H
        EXPECT_EQ(Compact(), "E O1,256 P10,0.333,0.333,0.100,0.000 W O1,256 P10,0.667,0.333,0.100,0.000 W "
                             "O1,256 P10,0.333,0.667,0.100,0.000 W O1,256 P10,0.667,0.667,0.100,0.000 W");
    }
    {
        FakeVdl::Get().Reset();
        Fixture f(QStringLiteral("Desktop"));
        f.driver.DewarpLayoutPlay(f.Views(1, 10)); // B with 0x200
        EXPECT_EQ(Compact(), "E O2,512 P4,0.000,0.000,0.000,0.000 W L0");
    }
    {
        // Layout mode 14 on a wall opens nothing.
        FakeVdl::Get().Reset();
        Fixture f(QStringLiteral("Wall"));
        f.driver.DewarpLayoutPlay(f.Views(4, 14));
        EXPECT_EQ(Compact(), "E");
    }
    {
        // A mount text other than the three: the ceiling's layout, not black tiles.
        FakeVdl::Get().Reset();
        Fixture f(QStringLiteral("Pole"));
        f.driver.DewarpLayoutPlay(f.Views(2, 17)); // G
        EXPECT_EQ(Compact(), "E O3,256 P10,0.250,0.500,0.100,0.000 W O3,256 P10,0.750,0.500,0.100,0.000 W");
    }
    {
        // A view that does not open skips the rest of that view only; failed parameters skip its window.
        FakeVdl::Get().Reset();
        Fixture f(QStringLiteral("Ceiling"));
        FakeVdl::Get().Fail("DewarpSetParams");
        const VideoList views = f.Views(4, 4);
        f.driver.DewarpLayoutPlay(views);
        EXPECT_EQ(Compact(), "E O3,0 W O3,256 P8,0.500,0.333,0.000,0.000 O3,256 P8,0.333,0.667,0.000,0.000 "
                             "O3,256 P8,0.667,0.667,0.000,0.000 L2");
        EXPECT_EQ(views[0]->dewarpPort, 1);
        EXPECT_EQ(views[3]->dewarpPort, 4);
    }
}

TEST_F(DewarpDriverTest, DewarpPlayOpensOneViewByItsText)
{
    Fixture f(QStringLiteral("Wall"));
    Video* ptz = f.Add(f.fisheye);
    f.driver.DewarpPlay(ptz, QStringLiteral("PTZ  "), 3, 4);
    EXPECT_EQ(Compact(), "E O1,256 ?DewarpGetParams(1,1) P8,0.500,0.500,0.500,0.000 W");
    EXPECT_EQ(ptz->dewarpPort, 1);

    // value1 = -1: an all-zero block.
    FakeVdl::Get().Clear();
    Video* zero = f.Add(f.fisheye);
    f.driver.DewarpPlay(zero, QStringLiteral("PTZ"), -1, 7);
    EXPECT_EQ(Compact(), "E O1,256 P0,0.000,0.000,0.000,0.000 W");

    // Both spellings of the panoramas.
    for (const char* text : {"Panoramic 180", "Panaromic 180", "Panoramic 360", "Panaromic 360"}) {
        FakeVdl::Get().Clear();
        f.driver.DewarpPlay(f.Add(f.fisheye), QString::fromLatin1(text), 0, 0);
        const std::string mode = QString::fromLatin1(text).endsWith(QLatin1String("180")) ? "512" : "768";
        EXPECT_EQ(Compact(), "E O1," + mode + " P4,0.000,0.000,0.000,0.000 W") << text;
    }

    // An unknown mount: the ceiling's placement.
    FakeVdl::Get().Reset();
    Fixture g(QString{});
    g.driver.DewarpPlay(g.Add(g.fisheye), QStringLiteral("PTZ"), -1, -1);
    EXPECT_EQ(Compact(), "E O3,256 P0,0.000,0.000,0.000,0.000 W");

    // A view that does not open is raised, not left as a black tile.
    FakeVdl::Get().Fail("DewarpOpenView", 13);
    EXPECT_EQ(Message([&] { g.driver.DewarpPlay(g.Add(g.fisheye), QStringLiteral("PTZ"), -1, -1); }),
              "Error while Getting DewarpPlay : SDK call failed: Cannot Open Dewarp View, VDL_DewarpOpenView failed - 13");
}

TEST_F(DewarpDriverTest, HitTestAndDrag)
{
    Fixture f(QStringLiteral("Ceiling"));
    const VideoList views = f.Views(4, 4); // fisheye main + 3 PTZ
    f.driver.DewarpLayoutPlay(views);
    VideoFile* drag = views[0]->GetVideoFile();
    drag->dragX0 = 0.2f;
    drag->dragY0 = 0.4f;
    drag->dragX1 = 0.3f;
    drag->dragY1 = 0.5f;

    // On the fisheye view: the PTZ under the first point becomes the one dragged.
    FakeVdl::Get().Clear();
    FakeVdl::Get().viewAt = 3;
    f.driver.DewarpHitTest(views[0]);
    EXPECT_EQ(FakeVdl::Get().Calls(), "DewarpEnable(1) DewarpGetParams(1,1) DewarpViewAt(1,1,0.200,0.400)");
    EXPECT_EQ(f.driver.CurrentPtzPort(), 3);
    FakeVdl::Get().Clear();
    FakeVdl::Get().dragX = 0.4f;
    FakeVdl::Get().dragY = 0.6f;
    f.driver.DewarpDrag(views[0]);
    EXPECT_EQ(FakeVdl::Get().Calls(), "DewarpEnable(1) DewarpGetParams(1,3) "
                                      "DewarpMapDrag(1,3,1,0.333,0.667,0.200,0.400,0.300,0.500) "
                                      "DewarpSetParams(1,3,8,0.400,0.600,0.000,0.000)");

    // A hit test on a PTZ view clears the current PTZ; its drag moves itself.
    FakeVdl::Get().Clear();
    views[2]->GetVideoFile()->dragX1 = 0.1f;
    f.driver.DewarpHitTest(views[2]);
    EXPECT_EQ(f.driver.CurrentPtzPort(), 0);
    f.driver.DewarpDrag(views[2]);
    EXPECT_TRUE(FakeVdl::Get().Called("DewarpMapDrag"));
    EXPECT_NE(FakeVdl::Get().Calls().find("DewarpMapDrag(1,3,3,"), std::string::npos);

    // A panorama's drag from x0 = 0.2 to x1 = 0.3 adds 0.3 to its offset.
    FakeVdl::Get().Reset();
    Fixture g(QStringLiteral("Ceiling"));
    Video* pano = g.Add(g.fisheye);
    g.driver.DewarpPlay(pano, QStringLiteral("Panoramic 360"), 0, 0);
    pano->GetVideoFile()->dragX0 = 0.2f;
    pano->GetVideoFile()->dragX1 = 0.3f;
    FakeVdl::Get().Clear();
    g.driver.DewarpHitTest(pano);
    g.driver.DewarpDrag(pano);
    g.driver.DewarpDrag(pano);
    EXPECT_EQ(FakeVdl::Get().calls.back(), "DewarpSetParams(1,1,4,0.000,0.000,0.000,0.600)");

    // Nothing while the view does not play.
    FakeVdl::Get().Clear();
    pano->playbackState = PlaybackState::Closed;
    g.driver.DewarpDrag(pano);
    g.driver.DewarpHitTest(pano);
    EXPECT_EQ(FakeVdl::Get().Calls(), "");
}

TEST_F(DewarpDriverTest, DisableWaitsForTheLastViewAndFailuresUseTheLibrarysRule)
{
    Fixture f(QStringLiteral("Ceiling"));
    Video* a = f.Add(f.fisheye);
    Video* b = f.Add(f.fisheye);
    f.driver.DewarpPlay(a, QStringLiteral("PTZ"), -1, -1);
    f.driver.DewarpPlay(b, QStringLiteral("PTZ"), -1, -1);
    FakeVdl::Get().Clear();
    f.driver.ReleaseDewarpPort(a);
    f.driver.DewarpClose(a); // b still shows: dewarping stays on
    EXPECT_EQ(FakeVdl::Get().Calls(), "DewarpCloseView(1,1)");
    EXPECT_EQ(a->dewarpPort, 0);
    f.driver.ReleaseDewarpPort(b);
    f.driver.DewarpClose(b);
    EXPECT_EQ(FakeVdl::Get().Calls(), "DewarpCloseView(1,1) DewarpCloseView(1,2) DewarpDisable(1)");

    Video* c = f.Add(f.fisheye);
    f.driver.DewarpPlay(c, QStringLiteral("PTZ"), -1, -1);
    FakeVdl::Get().Fail("DewarpCloseView", 20);
    EXPECT_EQ(Message([&] { f.driver.ReleaseDewarpPort(c); }),
              "SDK call failed: Cannot Free local port, VDL_ReleasePort failed - 20");
    FakeVdl::Get().failing.clear();
    f.driver.ReleaseDewarpPort(c);
    FakeVdl::Get().Fail("DewarpDisable", 14);
    EXPECT_EQ(Message([&] { f.driver.DewarpClose(c); }),
              "SDK call failed: Cannot Close local port, VDL_DewarpDisable failed - 14");
}

TEST_F(DewarpDriverTest, ViewSetDirectlyOpensSetsSizesAndClosesWhatFailed)
{
    {
        Fixture f(QStringLiteral("Wall"));
        Video* view = f.Add(f.fisheye);
        DewarpLayouts::View setting;
        setting.mode = DewarpLayouts::kPtz;
        setting.updateKind = VDL_DEWARP_UPDATE_POSITION | VDL_DEWARP_UPDATE_ZOOM;
        setting.x = 0.25f;
        setting.y = 0.5f;
        setting.zoom = 0.3f;
        f.driver.DewarpShowView(view, setting, QSize(640, 360));
        EXPECT_NE(view->dewarpPort, 0);
        const std::string calls = FakeVdl::Get().Calls();
        EXPECT_NE(calls.find("DewarpOpenView(1,1,256)"), std::string::npos) << calls; // the wall's placement
        EXPECT_NE(calls.find("DewarpSetParams(1,"), std::string::npos) << calls;
        EXPECT_NE(calls.find(",640,360)"), std::string::npos) << calls;
        EXPECT_LT(calls.find("DewarpSetParams"), calls.find("DewarpSetWindow")) << calls;
    }
    {
        // The window cannot be set: the view opened for it is closed again, and the failure says why.
        Fixture f(QStringLiteral("Ceiling"));
        Video* view = f.Add(f.fisheye);
        FakeVdl::Get().Fail("DewarpSetWindow");
        DewarpLayouts::View setting;
        setting.mode = DewarpLayouts::kPanorama360;
        const std::string message = Message([&] { f.driver.DewarpShowView(view, setting, QSize()); });
        EXPECT_NE(message.find("Cannot Set Dewarp Window"), std::string::npos) << message;
        EXPECT_TRUE(FakeVdl::Get().Called("DewarpCloseView"));
        EXPECT_EQ(view->dewarpPort, 0);
        // Nothing is left open on the port: disabling goes through.
        FakeVdl::Get().Clear();
        f.driver.DewarpClose(view);
        EXPECT_TRUE(FakeVdl::Get().Called("DewarpDisable"));
    }
}

// A view tile reaches its fisheye camera's port for everything the tile asks (state, stats), and
// its size goes to its own sub-port's output.
TEST_F(DewarpDriverTest, AViewAsksItsFisheyePortAndSizesItsOwnSubPort)
{
    Fixture f(QStringLiteral("Ceiling"));
    Video* view = f.Add(f.fisheye);
    view->dewarpView = 1;
    f.driver.DewarpPlay(view, QStringLiteral("PTZ"), -1, -1);
    ASSERT_NE(view->dewarpPort, 0);
    FakeVdl::Get().Clear();
    f.driver.SetRenderView(view, QRect(10, 10, 100, 100), QSize(400, 300));
    const std::string expected = "SetSurfaceView(" + std::to_string(VDL_DEWARP_VIEW(1, view->dewarpPort)) + ",0,0,0,0,400,300)";
    EXPECT_EQ(FakeVdl::Get().Calls(), expected);
    FakeVdl::Get().Clear();
    f.driver.GetStats(view);
    EXPECT_EQ(FakeVdl::Get().Calls(), "GetStats(1)");
    // Its tile's surface is its sub-port's window; the fisheye camera's surface stays.
    FakeVdl::Get().Clear();
    f.driver.SetRenderSurface(view, nullptr);
    EXPECT_EQ(FakeVdl::Get().Calls(), "DewarpSetWindow(1," + std::to_string(view->dewarpPort) + ")");
    // A view without its fisheye camera is no camera of this driver.
    Video* orphan = f.Add(nullptr);
    orphan->dewarpView = 1;
    orphan->rootCamera = nullptr;
    EXPECT_NE(Message([&] { f.driver.GetStats(orphan); }).find("not opened by this driver"), std::string::npos);
}
