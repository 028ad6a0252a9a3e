// The viewer's pages and tiles on real evidence, driven only by its messages: the refusals with
// their exact texts, one tile per camera, drops, shifts, maximising, full screen, closing with
// every port given back and every Video kept while something refers to it. The frames carry
// their camera's number, so each tile is checked to show its own camera.
#include "TileTestSupport.h"

#include "driver/VdlLibrary.h"
#include "events/CCoordinatorViewerGrid.h"
#include "events/NavigatorItem.h"
#include "events/ViewerMessageDispatch.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CViewTree.h"
#include "navigator/VideoFileTree.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/TimelineIds.h"
#include "evidence/WideText.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CAdjustCameraOrderDlg.h"
#include "viewer/CPlayerAudioCtrl.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CamerasVolumeDlg.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/DewarpViewKeys.h"
#include "viewer/VideoPlayerMenuTable.h"
#include "viewer/IViewerHost.h"
#include "viewer/structPageInfo.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSlider>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& condition, int millis = 15000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QTest::qWait(10);
    }
    return true;
}

namespace Counting {
std::atomic<int> acquired{0};
std::atomic<int> released{0};
int32_t AcquirePort(int32_t* port)
{
    ++acquired;
    return VdlLibrary::Adapter().AcquirePort(port);
}
int32_t ReleasePort(int32_t port)
{
    ++released;
    return VdlLibrary::Adapter().ReleasePort(port);
}
VdlAdapter Table()
{
    VdlAdapter table = VdlLibrary::Adapter();
    table.AcquirePort = &AcquirePort;
    table.ReleasePort = &ReleasePort;
    return table;
}
} // namespace Counting

// The frame around the viewer: a real navigator, the status pane's text and the full-screen flag.
struct Host : IViewerHost {
    CVideoFileSelector navigator;
    QString status;
    bool fullScreen = false;
    CVideoFileSelector* Navigator() override { return &navigator; }
    QWidget* NavigatorPane() override { return &navigator; }
    void SetStatusPane1(const QString& text) override { status = text; }
    void SetFullScreenMode(bool on) override { fullScreen = on; }
    IPlomeraViewEvents* ViewEvents() override { return nullptr; }
    QString HostTempFolder() override { return {}; }
};

struct Asked {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

int OpenDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

class ViewerPagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = 8;
        o.width = 320;
        o.height = 180;
        o.fps = 25;
        o.gop = 25;
        o.bitRate = 4000000;  // past the 2 MiB floor in a few seconds
        o.cameras = 4;
        singles = SampleMaker::Make(folder->filePath("singles"), o);
        o.firstCamera = 5;
        o.cameras = 3;
        o.channelsPerFile = 3;
        three = SampleMaker::Make(folder->filePath("three"), o).value(0);
        o.firstCamera = 8;
        o.cameras = 1;
        o.channelsPerFile = 1;
        o.fisheye = true;
        // The fisheye picture is smooth: only a longer, larger recording passes the floor.
        o.durationSeconds = 30;
        o.width = 1280;
        o.height = 720;
        o.bitRate = 0;
        fisheye = SampleMaker::Make(folder->filePath("fisheye"), o).value(0);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        ASSERT_EQ(singles.size(), 4);
        for (const QString& path : singles + QStringList{three, fisheye}) {
            ASSERT_GE(QFileInfo(path).size(), 2097152) << path.toStdString();
        }
        Counting::acquired = 0;
        Counting::released = 0;
        table = Counting::Table();
        viewer = std::make_unique<CViewer>(nullptr, &table);
        viewer->SetHost(&host);
        viewer->resize(1200, 900);
        viewer->show();
        viewer->SetMessageBoxFunction([this](const QString& text, const QString& caption, QMessageBox::StandardButtons,
                                             QMessageBox::Icon icon) {
            asked.push_back({text, caption, icon});
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        viewer.reset();
        EXPECT_EQ(Counting::acquired.load(), Counting::released.load()) << "every port taken was given back";
    }

    void Open(const QString& path) { SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), path); }
    void Layout(int mode) { SendViewerMessage<ViewerMessages::SetLayout>(viewer.get(), mode); }
    CVideoPlayer* InCell(int i) const { return viewer->Grid()->Model().CellAt(i)->player; }
    structTileInfo* Cell(int i) const { return viewer->Grid()->Model().CellAt(i); }
    QTreeWidgetItem* FileItem(const QString& path) const
    {
        const auto items = host.navigator.Tree()->findItems(QFileInfo(path).fileName(), Qt::MatchExactly | Qt::MatchRecursive);
        return items.isEmpty() ? nullptr : items.front();
    }
    NavigatorItem CameraRequest(const QString& path, int child) const
    {
        NavigatorItem item;
        item.kind = NavigatorItem::Camera;
        item.path = path;
        item.video = VideoFileTree::Record(FileItem(path)->child(child))->video;
        return item;
    }
    // The camera number the tile's picture carries (the picture brought back to the stream's size).
    static int ShownCamera(CVideoPlayer* player)
    {
        const QImage held = player->Panel()->HeldImage();
        if (held.isNull())
            return -1;
        const QImage rgb = held.scaled(320, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
        return FrameStamp::ReadCamera(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
    }

    static inline QTemporaryDir* folder = nullptr;
    static inline QStringList singles;
    static inline QString three;
    static inline QString fisheye;
    Host host;  // outlives the viewer, as the frame does
    VdlAdapter table;
    std::unique_ptr<CViewer> viewer;
    std::vector<Asked> asked;
};

} // namespace

TEST_F(ViewerPagesTest, RefusalsShowTheirTextsAndTheSameFileUnderAnyNameOpensOnce)
{
    QFile small(folder->filePath("small.video"));
    ASSERT_TRUE(small.open(QIODevice::WriteOnly));
    ASSERT_TRUE(small.resize(2097151));
    small.close();
    Open(small.fileName());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("File is corrupted or too small to play."));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Ombrix Player"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Critical);
    SendViewerMessage<ViewerMessages::RegisterLocalFile>(viewer.get(), small.fileName());
    EXPECT_EQ(asked.size(), 2u);
    // One byte more passes the floor; not being evidence, it opens nothing and asks nothing.
    ASSERT_TRUE(small.resize(2097152));
    Open(small.fileName());
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(viewer->Players().empty());
    EXPECT_TRUE(viewer->Videos().empty());

    // The same file again, by a relative spelling, and through a link: one tile, nothing shown.
    Open(singles[0]);
    QDir::setCurrent(QFileInfo(singles[0]).absolutePath());
    Open(QStringLiteral("./") + QFileInfo(singles[0]).fileName());
    ASSERT_TRUE(QFile::link(singles[0], folder->filePath("link.video")));
    Open(folder->filePath("link.video"));
    EXPECT_EQ(viewer->Players().size(), 1u);
    EXPECT_EQ(asked.size(), 2u);

    // 1x1 with its tile: another file is refused; the same file still shows nothing.
    Layout(CViewerCapabilities::Layout1x1);
    Open(singles[1]);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[2].text, QStringLiteral("Maximum tile Count Reached"));
    Open(singles[0]);
    EXPECT_EQ(asked.size(), 3u);

    // A fisheye file in an empty 1x1: listed, refused, and its ports given back at once.
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    Open(fisheye);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[3].text, QStringLiteral("Maximum tile count reached"));
    EXPECT_TRUE(viewer->Players().empty());
    ASSERT_NE(FileItem(fisheye), nullptr);
    EXPECT_EQ(FileItem(fisheye)->childCount(), 1);
    EXPECT_EQ(Counting::acquired.load(), Counting::released.load());
}

TEST_F(ViewerPagesTest, AFileShowsItsFirstCameraAndTheOthersOpenOneByOneAsOneVideoEach)
{
    Open(three);
    ASSERT_EQ(viewer->Players().size(), 1u);
    ASSERT_NE(FileItem(three), nullptr);
    ASSERT_EQ(FileItem(three)->childCount(), 3);
    EXPECT_EQ(InCell(0)->GetVideo(), VideoFileTree::Record(FileItem(three)->child(0))->video);
    EXPECT_TRUE(WaitFor([&] { return ShownCamera(InCell(0)) == 5; }));

    // The second camera from the navigator: its own tile, the navigator refers to the new Video
    // and the one it held before is closed.
    NavigatorItem second = CameraRequest(three, 1);
    Video* before = second.video;
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(viewer.get(), &second, static_cast<structTileInfo*>(nullptr));
    ASSERT_EQ(viewer->Players().size(), 2u);
    Video* now = VideoFileTree::Record(FileItem(three)->child(1))->video;
    EXPECT_NE(now, before);
    EXPECT_EQ(InCell(1)->GetVideo(), now);
    EXPECT_EQ(before->playbackState, PlaybackState::Closed);
    EXPECT_TRUE(WaitFor([&] { return ShownCamera(InCell(1)) == 6; }));
    // Selected, the control bar and status pane follow it.
    EXPECT_EQ(viewer->Grid()->SelectedPlayer(), InCell(1));
    EXPECT_EQ(InCell(1)->StripColour(), CViewerGridLayout::SelectedStripColour());
    EXPECT_EQ(InCell(0)->StripColour(), CViewerGridLayout::UnselectedStripColour());
    EXPECT_EQ(host.status, three);

    // A second request for the camera seeks it; no duplicate.
    NavigatorItem again = CameraRequest(three, 1);
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(viewer.get(), &again, static_cast<structTileInfo*>(nullptr));
    EXPECT_EQ(viewer->Players().size(), 2u);
    // Everything the opens took is held by the two tiles' ports and the first open's other two.
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    EXPECT_EQ(Counting::acquired.load(), Counting::released.load());
    // The Videos stay while the navigator refers to them.
    EXPECT_EQ(VideoFileTree::Record(FileItem(three)->child(1))->video, now);
}

TEST_F(ViewerPagesTest, DropsOpenOnlyIntoEmptyCellsAndCellZeroIsReusedWithItsOwnPicture)
{
    Layout(CViewerCapabilities::Layout2x2);
    Open(singles[0]);
    SendViewerMessage<ViewerMessages::RegisterLocalFile>(viewer.get(), singles[1]);
    NavigatorItem dropped = CameraRequest(singles[1], 0);
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(viewer.get(), &dropped, Cell(0));
    EXPECT_EQ(viewer->Players().size(), 1u);
    SendViewerMessage<ViewerMessages::OpenVideoPlayer>(viewer.get(), &dropped, Cell(3));
    ASSERT_NE(InCell(3), nullptr);
    EXPECT_EQ(InCell(1), nullptr);
    Open(singles[2]);
    ASSERT_NE(InCell(1), nullptr);

    // Cell 0 closed while 1 and 3 hold tiles: the next file goes there and shows its own camera.
    viewer->GridCoordinator()->CloseVideoPlayer(InCell(0)->GetVideo());
    EXPECT_EQ(InCell(0), nullptr);
    Open(singles[3]);
    ASSERT_NE(InCell(0), nullptr);
    EXPECT_TRUE(WaitFor([&] {
        return ShownCamera(InCell(0)) == 4 && ShownCamera(InCell(1)) == 3 && ShownCamera(InCell(3)) == 2;
    }));
    EXPECT_EQ(viewer->Grid()->SelectedPlayer(), InCell(0));
}

TEST_F(ViewerPagesTest, ShiftsRotateTheCellsAndOnePageHasNoNextOrPrevious)
{
    Layout(CViewerCapabilities::LayoutCustom3x1);
    Open(singles[0]);
    Open(singles[1]);
    CVideoPlayer* a = InCell(0);
    CVideoPlayer* b = InCell(1);
    SendViewerMessage<ViewerMessages::ShiftCamerasBackward>(viewer.get());
    EXPECT_EQ(InCell(0), b);
    EXPECT_EQ(InCell(1), nullptr);
    EXPECT_EQ(InCell(2), a);
    SendViewerMessage<ViewerMessages::ShiftCamerasForward>(viewer.get());
    SendViewerMessage<ViewerMessages::ShiftCamerasForward>(viewer.get());
    EXPECT_EQ(InCell(0), nullptr);
    EXPECT_EQ(InCell(1), a);
    EXPECT_EQ(InCell(2), b);
    EXPECT_EQ(a->geometry(), viewer->Grid()->PlayerRect(*Cell(1)));

    ASSERT_EQ(viewer->Pages().size(), 1u);
    SendViewerMessage<ViewerMessages::ShowNextVideoPage>(viewer.get());
    SendViewerMessage<ViewerMessages::ShowPreviousVideoPage>(viewer.get());
    EXPECT_EQ(viewer->CurrentPage(), 0);
    EXPECT_EQ(InCell(1), a);
    EXPECT_EQ(viewer->Caption()->State().PageText(), QStringLiteral("Page 1/1"));
    EXPECT_EQ(viewer->AllCameras(), (VideoList{a->GetVideo(), b->GetVideo()}));
    EXPECT_EQ(viewer->DisplayedCameras(), (VideoList{a->GetVideo(), b->GetVideo()}));

    // After a layout change re-placed the tiles, a new tile's selection still leaves one green.
    Layout(CViewerCapabilities::Layout2x2);
    Open(singles[2]);
    int green = 0;
    for (CVideoPlayer* p : viewer->Players()) {
        green += p->StripColour() == CViewerGridLayout::SelectedStripColour() ? 1 : 0;
    }
    EXPECT_EQ(green, 1);
}

TEST_F(ViewerPagesTest, MaximiseATileAndTheViewerAndRestoreBoth)
{
    Open(singles[0]);
    Open(singles[1]);
    CVideoPlayer* first = InCell(0);
    CVideoPlayer* second = InCell(1);
    viewer->GridCoordinator()->HandleSingleTileMaximized(Cell(0));
    EXPECT_TRUE(viewer->SingleTileMaximized());
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(viewer->Caption()->isVisible());
    EXPECT_EQ(viewer->Grid()->geometry().top(), 0);
    EXPECT_EQ(first->geometry(), QRect(viewer->Grid()->ClientOrigin(), viewer->Grid()->ClientSize()));
    viewer->GridCoordinator()->HandleSingleTileMaximized(Cell(0));
    EXPECT_FALSE(viewer->SingleTileMaximized());
    EXPECT_TRUE(second->isVisible());
    EXPECT_TRUE(viewer->Caption()->isVisible());
    EXPECT_EQ(first->geometry(), viewer->Grid()->PlayerRect(*Cell(0)));

    // The viewer over the whole screen: bars hidden until the pointer reaches their edge.
    SendViewerMessage<ViewerMessages::MaxRestoreViewer>(viewer.get(), true);
    EXPECT_TRUE(host.fullScreen);
    EXPECT_FALSE(viewer->Timeline()->isVisible());
    EXPECT_EQ(viewer->Grid()->geometry(), viewer->rect());
    const QPoint bottom = viewer->mapToGlobal(QPoint(300, viewer->height() - 2));
    viewer->GridCoordinator()->HandleMouseMoveInFullScreenMode(bottom);
    EXPECT_TRUE(viewer->Timeline()->isVisible());
    EXPECT_EQ(viewer->Timeline()->geometry().bottom(), viewer->rect().bottom());
    viewer->GridCoordinator()->HandleMouseMoveInFullScreenMode(viewer->mapToGlobal(QPoint(600, 400)));
    EXPECT_FALSE(viewer->Timeline()->isVisible());
    EXPECT_FALSE(viewer->Caption()->isVisible());
    viewer->GridCoordinator()->HandleMouseMoveInFullScreenMode(viewer->mapToGlobal(QPoint(600, 3)));
    EXPECT_TRUE(viewer->Caption()->isVisible());

    // Both modes at once, left together.
    viewer->GridCoordinator()->HandleSingleTileMaximized(Cell(1));
    SendViewerMessage<ViewerMessages::RestoreViewerWhenMaximized>(viewer.get());
    EXPECT_FALSE(viewer->ViewerMaximized());
    EXPECT_FALSE(viewer->SingleTileMaximized());
    EXPECT_FALSE(host.fullScreen);
    EXPECT_TRUE(viewer->Timeline()->isVisible());
    EXPECT_TRUE(viewer->Caption()->isVisible());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(viewer->Timeline()->geometry().bottom(), viewer->rect().bottom());
}

TEST_F(ViewerPagesTest, ClosingTheSelectedTileSelectsTheFirstAndTheLastCloseResetsEverything)
{
    Open(singles[0]);
    Open(singles[1]);
    Open(singles[2]);
    CVideoPlayer* first = InCell(0);
    Video* second = InCell(1)->GetVideo();
    // A click in a tile selects it here, whatever the navigator shows.
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), second);
    EXPECT_EQ(viewer->SelectedCameras(), VideoList{second});
    EXPECT_EQ(host.status, singles[1]);
    viewer->GridCoordinator()->CloseVideoPlayer(second);
    EXPECT_EQ(viewer->Grid()->SelectedPlayer(), first);
    EXPECT_EQ(first->StripColour(), CViewerGridLayout::SelectedStripColour());
    EXPECT_EQ(second->playbackState, PlaybackState::Closed);
    EXPECT_FALSE(second->GetCamera()->IsShownInTile());
    EXPECT_TRUE(viewer->Caption()->State().FileControls());

    viewer->GridCoordinator()->CloseVideoPlayer(InCell(2)->GetVideo());
    viewer->GridCoordinator()->CloseVideoPlayer(first->GetVideo());
    EXPECT_TRUE(viewer->Players().empty());
    EXPECT_TRUE(viewer->Caption()->State().DeviceTitle().isEmpty());
    EXPECT_FALSE(viewer->Caption()->State().FileControls());
    EXPECT_TRUE(host.status.isEmpty());
    EXPECT_FALSE(viewer->Timeline()->Button(TimelineIds::PlayPause)->isEnabled());
    EXPECT_FALSE(viewer->TimerRunning());
    EXPECT_FALSE(host.navigator.SelectAll()->isEnabled());
    EXPECT_EQ(Counting::acquired.load(), Counting::released.load());
}

// Under AddressSanitizer: a released file's Videos are freed only once nothing refers to them,
// and registering and closing many files leaves no descriptor behind.
TEST_F(ViewerPagesTest, ReleasedFilesAreForgottenEverywhereAndNothingIsLeftOpen)
{
    Open(singles[0]);
    Open(singles[1]);
    const size_t held = viewer->Videos().size();
    SendViewerMessage<ViewerMessages::ReleaseVideoFile>(viewer.get(), singles[1]);
    EXPECT_EQ(viewer->Players().size(), 1u);
    EXPECT_EQ(viewer->Videos().size(), held - 1);
    EXPECT_EQ(FileItem(singles[1]), nullptr);
    EXPECT_EQ(viewer->Grid()->SelectedPlayer(), InCell(0));
    QTest::qWait(600);  // a timer tick over what is left
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    EXPECT_EQ(Counting::acquired.load(), Counting::released.load());

    const int baseline = OpenDescriptors();
    for (int i = 0; i < 30; ++i) {
        SendViewerMessage<ViewerMessages::RegisterLocalFile>(viewer.get(), singles[i % singles.size()]);
    }
    Open(singles[2]);
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    for (const QString& path : singles) {
        SendViewerMessage<ViewerMessages::ReleaseVideoFile>(viewer.get(), path);
    }
    EXPECT_LE(OpenDescriptors(), baseline);
    EXPECT_EQ(Counting::acquired.load(), Counting::released.load());
}

// A fisheye file opens with its first view beside it; a combined layout replaces the views after
// the question and needs room for all of them; a single view joins without asking; keys match
// letter case exactly; each view renders its own picture and closing the fisheye tile closes them.
TEST_F(ViewerPagesTest, DewarpViewsOpenAsTilesOfTheirOwnAndCloseWithTheirFisheye)
{
    const auto titles = [this] {
        QStringList t;
        for (CVideoPlayer* p : viewer->Grid()->PlayersInCells())
            t << p->GetVideo()->title;
        return t;
    };
    Layout(CViewerCapabilities::Layout2x2);
    Open(fisheye);
    ASSERT_EQ(viewer->Players().size(), 2u);
    Video* camera = InCell(0)->GetVideo();
    // The file's own view, its name without the tag's padding.
    const QString named = WideText::UpToNul(camera->GetVideoFile()->viewMode);
    ASSERT_FALSE(named.isEmpty());
    EXPECT_EQ(InCell(1)->GetVideo()->title, camera->title + QStringLiteral(" - ") + named);
    EXPECT_EQ(InCell(1)->GetVideo()->rootCamera, camera);

    // 2x2: the question, the PTZ view closed, then no room for four views.
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, QStringLiteral("Panorama360+3Ptz"));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Existing all dewarp views will be closed except main view"));
    EXPECT_EQ(asked[1].text, QStringLiteral("Maximum tile count reached"));
    EXPECT_EQ(viewer->Players().size(), 1u);

    // 3x3: the fisheye tile and four views, titled by their names.
    asked.clear();
    Layout(CViewerCapabilities::Layout3x3);
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, QStringLiteral("Panorama360+3Ptz"));
    EXPECT_TRUE(asked.empty());  // one tile open: nothing to ask
    const QString t = camera->title;
    EXPECT_EQ(titles(), (QStringList{t, t + " - Panorama360", t + " - Ptz", t + " - Ptz", t + " - Ptz"}));
    EXPECT_EQ(camera->dewarpLayoutMode, 14);

    // One more PTZ without a question; a key in other letters is one view of that name.
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, QStringLiteral("Ptz"));
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), InCell(1)->GetVideo(), QStringLiteral("panorama360+3ptz"));
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(viewer->Players().size(), 7u);
    EXPECT_EQ(InCell(6)->GetVideo()->title, t + QStringLiteral(" - panorama360+3ptz"));

    // Every view renders at the size of its tile, not at a size scaled down there.
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        CPtzPanel* panel = InCell(i)->Panel();
        EXPECT_TRUE(WaitFor([&] {
            const QImage held = panel->HeldImage();
            return !held.isNull() && held.width() <= panel->width() && held.height() <= panel->height()
                   && (held.width() >= panel->width() - 2 || held.height() >= panel->height() - 2);
        })) << panel->HeldImage().width() << "x" << panel->HeldImage().height() << " in " << panel->width() << "x" << panel->height();
    }

    // A selected view closed by a layout change leaves the selection to the first tile; a
    // selected camera keeps it across a change.
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), InCell(3)->GetVideo());
    Layout(CViewerCapabilities::Layout4x4);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(viewer->SelectedCameras(), VideoList{camera});
    Open(singles[0]);
    Video* single = InCell(1)->GetVideo();
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), single);
    Layout(CViewerCapabilities::Layout3x3);
    EXPECT_EQ(viewer->SelectedCameras(), VideoList{single});
    EXPECT_EQ(InCell(0)->StripColour(), CViewerGridLayout::UnselectedStripColour());

    // The fisheye tile closes with every view of it.
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, QStringLiteral("PTZ"));
    ASSERT_EQ(viewer->Players().size(), 3u);
    viewer->GridCoordinator()->CloseVideoPlayer(camera);
    ASSERT_EQ(viewer->Players().size(), 1u);
    EXPECT_EQ(viewer->Players().front()->GetVideo(), single);
}

// Every dewarp item of a fisheye tile's menu, on each mount: the item's request opens the views its
// key names (a combined layout its count, any other one view more), and none is refused in 4x4.
TEST_F(ViewerPagesTest, EveryDewarpMenuItemOnEveryMountOpensItsViews)
{
    for (const char* mount : {"Ceiling", "Wall", "Desktop"}) {
        SCOPED_TRACE(mount);
        SampleEvidenceOptions o;
        // The fisheye picture is smooth: a short recording passes the floor only at a high rate
        // with a key frame every few frames.
        o.durationSeconds = 6;
        o.width = 640;
        o.height = 480;
        o.fps = 25;
        o.gop = 2;
        o.bitRate = 8000000;
        o.fisheye = true;
        o.fisheyeLayouts = true;
        o.mount = QString::fromLatin1(mount);
        const QString file = SampleMaker::Make(folder->filePath(QStringLiteral("mount-") + mount), o).value(0);
        ASSERT_GE(QFileInfo(file).size(), 2097152);
        Layout(CViewerCapabilities::Layout4x4);
        Open(file);
        ASSERT_EQ(viewer->Players().size(), 2u);
        Video* camera = InCell(0)->GetVideo();
        const VideoPlayerMenuTable menu = VideoPlayerMenuTable::For(*camera, false);
        int items = 0;
        for (const VideoPlayerMenuTable::Item& item : menu.DewarpItems()) {
            if (item.command == 0)
                continue;
            ++items;
            SCOPED_TRACE(item.text.toStdString());
            const VideoPlayerMenuTable::Action action = VideoPlayerMenuTable::ActionOf(item.command);
            ASSERT_EQ(action.message, ViewerMessages::OpenDewarpView);
            const size_t before = viewer->Players().size();
            const DewarpViewKeys::Combined* combined = DewarpViewKeys::Find(action.viewName);
            SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, action.viewName);
            if (combined != nullptr) {
                EXPECT_EQ(viewer->Players().size(), 1u + combined->views);
                EXPECT_EQ(camera->dewarpLayoutMode, combined->displayType);
            } else {
                EXPECT_EQ(viewer->Players().size(), before + 1);
            }
            for (const Asked& a : asked)
                EXPECT_NE(a.text, QStringLiteral("Maximum tile count reached"));
            asked.clear();
            // Back to the fisheye tile alone before the next item.
            for (CVideoPlayer* p : viewer->Players())
                if (p->GetVideo()->dewarpView != 0)
                    viewer->GridCoordinator()->CloseVideoPlayer(p->GetVideo());
            ASSERT_EQ(viewer->Players().size(), 1u);
        }
        EXPECT_GE(items, 9);
        SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
        SendViewerMessage<ViewerMessages::ReleaseVideoFile>(viewer.get(), file);
    }
}

// Dragging a numbered outline in the fisheye view of "360 Degree+3 PTZ" moves that PTZ view: its
// picture changes while the recording stands still, and the other PTZ views keep theirs.
TEST_F(ViewerPagesTest, DraggingAnOutlineInTheFisheyeViewMovesItsPtzView)
{
    Open(fisheye);
    Video* camera = InCell(0)->GetVideo();
    SendViewerMessage<ViewerMessages::OpenDewarpView>(viewer.get(), camera, QStringLiteral("Fishye3Ptz"));
    ASSERT_EQ(viewer->Players().size(), 5u);
    viewer->Facade().PauseVideo(camera);
    CVideoPlayer* overview = InCell(1);
    ASSERT_EQ(overview->GetVideo()->title, camera->title + QStringLiteral(" - Fisheye"));
    const auto settled = [&](int cell) {
        QImage last;
        WaitFor([&] {
            const QImage now = InCell(cell)->Panel()->HeldImage();
            QTest::qWait(300); // a busy machine may render a view again well after its first picture
            const bool same = !now.isNull() && now == InCell(cell)->Panel()->HeldImage();
            last = now;
            return same;
        });
        return last;
    };
    const QImage first = settled(2);
    const QImage second = settled(3);
    ASSERT_FALSE(first.isNull());

    // The first PTZ sits at the middle of the top third of the fisheye picture.
    const QRect picture = overview->Panel()->geometry();
    const QPoint from = picture.topLeft() + QPoint(picture.width() / 2, picture.height() / 3);
    QTest::mousePress(overview, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 5; ++step)
        QTest::mouseMove(overview, from + QPoint(8 * step, 4 * step));
    QTest::mouseRelease(overview, Qt::LeftButton, {}, from + QPoint(40, 20));
    EXPECT_TRUE(WaitFor([&] { return InCell(2)->Panel()->HeldImage() != first; }));
    EXPECT_EQ(settled(3), second);
}

TEST_F(ViewerPagesTest, CameraOrderKeepsBothTilesOfTwoFilesSameCameraNumber)
{
    SampleEvidenceOptions o;
    o.durationSeconds = 8;
    o.width = 320;
    o.height = 180;
    o.cameras = 1;
    o.bitRate = 4000000;
    Layout(CViewerCapabilities::Layout2x2);
    Open(SampleMaker::Make(folder->filePath("zero-a"), o).value(0));
    Open(SampleMaker::Make(folder->filePath("zero-b"), o).value(0));
    CVideoPlayer* a = InCell(0);
    CVideoPlayer* b = InCell(1);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->GetVideo()->GetCamera()->GetChannel(), b->GetVideo()->GetCamera()->GetChannel());
    viewer->SetCameraOrderFunction([](const std::vector<CVideoPlayer*>& players) {
        CAdjustCameraOrderDlg dialog(players);
        dialog.ButtonDown();
        return std::optional(dialog.Order().Players());
    });
    SendViewerMessage<ViewerMessages::AdjustCameraOrder>(viewer.get());
    EXPECT_EQ(InCell(0), b);
    EXPECT_EQ(InCell(1), a);
}

TEST_F(ViewerPagesTest, AMutedCamerasSliderTurnsItsAudioOnAtTheSlidersVolume)
{
    SampleEvidenceOptions o;
    o.durationSeconds = 8;
    o.width = 320;
    o.height = 180;
    o.cameras = 1;
    o.audio = true;
    o.bitRate = 4000000;
    const QString path = SampleMaker::Make(folder->filePath("audio"), o).value(0);
    Open(path);
    CVideoPlayer* player = InCell(0);
    ASSERT_NE(player, nullptr);
    Video* camera = player->GetVideo();
    ASSERT_EQ(camera->audioOn, 0);
    EXPECT_EQ(viewer->Volumes().Volume(camera), 65535);

    SendViewerMessage<ViewerMessages::ShowVideoPlayerVolumeBars>(viewer.get(), QRect(600, 20, 20, 20));
    CamerasVolumeDlg* popup = viewer->VolumePopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Control()->Slider()->value(), 0) << "opens at the camera's volume, full";
    popup->Control()->Slider()->setValue(65535 - 20000);
    EXPECT_EQ(camera->audioOn, 1);
    EXPECT_EQ(viewer->Volumes().Volume(camera), 20000);
    EXPECT_EQ(VideoFileTree::ImageOf(FileItem(path)->child(0)), VideoFileTree::CameraWithAudio);
    EXPECT_EQ(viewer->Caption()->State().AudioPicture(), ViewerCaptionState::kAudioOnPicture);

    // The volume button pressed again closes the pop-up; reopened, the slider is where it was left.
    SendViewerMessage<ViewerMessages::ShowVideoPlayerVolumeBars>(viewer.get(), QRect(600, 20, 20, 20));
    QTest::qWait(10);
    EXPECT_EQ(viewer->VolumePopup(), nullptr);
    SendViewerMessage<ViewerMessages::ShowVideoPlayerVolumeBars>(viewer.get(), QRect(600, 20, 20, 20));
    ASSERT_NE(viewer->VolumePopup(), nullptr);
    EXPECT_EQ(viewer->VolumePopup()->Control()->Slider()->value(), 65535 - 20000);
}
