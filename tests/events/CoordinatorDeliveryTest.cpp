#include "RecordingViewer.h"

#include "events/CCoordinatorPlomeraView.h"
#include "events/CCoordinatorViewerCaption.h"
#include "events/CCoordinatorViewerGrid.h"
#include "events/CCoordinatorViewerTimeline.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using K = ParamKind;

struct Row {
    const char* event;
    std::function<void()> raise;
    // Spelt out here rather than taken from the header: these numbers are the fixed contract
    // with the viewer and with panes that send them to their parents.
    int message;
    ParamKind wKind;
    QString w;
    ParamKind lKind = K::None;
    QString l = QStringLiteral("0");
};

class CoordinatorDeliveryTest : public ::testing::Test {
protected:
    CoordinatorDeliveryTest()
    {
        for (const auto& [address, name] :
             std::initializer_list<std::pair<const void*, const char*>>{{video, "video"},
                                                                        {bookmark, "bookmark"},
                                                                        {bookmarks, "bookmarks"},
                                                                        {item, "item"},
                                                                        {cell, "cell"},
                                                                        {&tooltip, "tooltip"}})
            viewer.names[reinterpret_cast<quintptr>(address)] = QString::fromLatin1(name);
    }

    // Every event of the four interfaces, in slot order, except the two package operations.
    // Shared numbers (1156, 1162, 1165, 1169, 1186, 1208, 1209, 1212) come from two senders each;
    // the one handler tells them apart by the parameters alone.
    std::vector<Row> AllEvents()
    {
        const QString path = QStringLiteral("/evidence/Lobby \u00E9.video");
        const QString quoted = QLatin1Char('"') + path + QLatin1Char('"');
        return {
            {"OpenLocalFile", [&, path] { v.OpenLocalFile(path); }, 1151, K::Text, quoted},
            {"RegisterLocalFile", [&, path] { v.RegisterLocalFile(path); }, 1189, K::Text, quoted},
            {"SeekToTime", [&] { v.SeekToTime(1700000123); }, 1152, K::Time, "1700000123"},
            {"SeekToMapPoint", [&] { v.SeekToMapPoint(51.5, -0.125); }, 1199, K::MapPoint, "51.5,-0.125"},
            {"VisibleRangeChanged", [&] { v.VisibleRangeChanged(100, 7200); }, 1192, K::Time, "100", K::Time, "7200"},
            {"SetPreserveAspectRatio", [&] { v.SetPreserveAspectRatio(true); }, 1153, K::Flag, "1"},
            {"ShowMilliSeconds", [&] { v.ShowMilliSeconds(false); }, 1154, K::Flag, "0"},
            {"ShowVideoTime", [&] { v.ShowVideoTime(true); }, 1155, K::Flag, "1"},
            {"PlaySelectedVideoFile", [&, path] { v.PlaySelectedVideoFile(path); }, 1156, K::Text, quoted},
            {"ReleaseVideoFile", [&, path] { v.ReleaseVideoFile(path); }, 1157, K::Text, quoted},
            {"SelectCamera", [&] { v.SelectCamera(video); }, 1164, K::Video, "video"},
            {"SelectAllCameras", [&] { v.SelectAllCameras(true); }, 1207, K::Flag, "1"},
            {"SyncAll", [&] { v.SyncAll(true); }, 1208, K::Flag, "1"},
            {"OpenVideoPlayer", [&] { v.OpenVideoPlayer(item); }, 1169, K::NavigatorItem, "item", K::Cell, "none"},
            {"EnableCameraAudio", [&] { v.EnableCameraAudio(video); }, 1162, K::Video, "video"},
            {"DisableCameraAudio", [&] { v.DisableCameraAudio(video); }, 1165, K::Video, "video"},
            {"CloseAllVideoPlayers", [&] { v.CloseAllVideoPlayers(); }, 1174, K::None, "0"},
            {"EditBookmark", [&] { v.EditBookmark(bookmark); }, 1177, K::Bookmark, "bookmark"},
            {"DeleteBookmark", [&] { v.DeleteBookmark(bookmark); }, 1178, K::Bookmark, "bookmark"},
            {"CopyBookmarkToClipboard", [&] { v.CopyBookmarkToClipboard(bookmark); }, 1180, K::Bookmark, "bookmark"},
            {"PrintBookmark", [&] { v.PrintBookmark(bookmark); }, 1182, K::Bookmark, "bookmark"},
            {"SeekToBookmark", [&] { v.SeekToBookmark(bookmark); }, 1184, K::Bookmark, "bookmark"},
            {"DeleteBookmarks", [&] { v.DeleteBookmarks(bookmarks); }, 1179, K::BookmarkList, "bookmarks"},
            {"CopyBookmarksToClipboard", [&] { v.CopyBookmarksToClipboard(bookmarks); }, 1181, K::BookmarkList, "bookmarks"},
            {"PrintBookmarks", [&] { v.PrintBookmarks(bookmarks); }, 1183, K::BookmarkList, "bookmarks"},
            {"SaveBookmarks", [&] { v.SaveBookmarks(); }, 1185, K::None, "0"},
            {"AddBookmarkAtTime", [&] { v.AddBookmarkAtTime(1700000456); }, 1186, K::Time, "1700000456"},
            {"MetadataHover", [&] { v.MetadataHover(&tooltip, QPoint(12, -3)); }, 1190, K::Window, "tooltip", K::Point, "12,-3"},
            {"MetadataHover left", [&] { v.MetadataHover(nullptr, QPoint()); }, 1190, K::Window, "none", K::Point, "0,0"},
            {"SeekToCursorTime", [&] { v.SeekToCursorTime(); }, 1200, K::None, "0"},
            {"MetadataPaneSized", [&] { v.MetadataPaneSized(); }, 1193, K::None, "0"},
            {"DisplayMetadataSettings", [&] { v.DisplayMetadataSettings(); }, 1191, K::None, "0"},
            {"RestoreViewerWhenMaximized", [&] { v.RestoreViewerWhenMaximized(); }, 1194, K::None, "0"},
            {"UpdateDeviceLevelAudio", [&] { v.UpdateDeviceLevelAudio(true, false); }, 1197, K::Flag, "1", K::Flag, "0"},
            {"ShowMetadataChart", [&] { v.ShowMetadataChart(true); }, 1198, K::Flag, "1"},
            {"MapViewToggled", [&] { v.MapViewToggled(true); }, 1201, K::Flag, "1"},
            {"SetTempFolder", [&] { v.SetTempFolder(QString()); }, 1202, K::Text, "\"\""},
            {"StartupComplete", [&] { v.StartupComplete(); }, 1203, K::None, "0"},
            {"FramePlacementChanged", [&] { v.FramePlacementChanged(3); }, 1205, K::Number, "3"},
            {"OpenDewarpView", [&] { v.OpenDewarpView(video, QStringLiteral("PTZ")); }, 1209, K::Video, "video", K::Text, "\"PTZ\""},
            {"ShowWatermark", [&] { v.ShowWatermark(video); }, 1212, K::Video, "video"},

            {"caption CloseAllVideoPlayers", [&] { c.CloseAllVideoPlayers(); }, 1143, K::None, "0"},
            {"ShowOverLayText", [&] { c.ShowOverLayText(true); }, 1144, K::Flag, "1"},
            {"SetLayout", [&] { c.SetLayout(11); }, 1145, K::Number, "11"},
            {"AdjustCameraOrder", [&] { c.AdjustCameraOrder(); }, 1146, K::None, "0"},
            {"MaxRestoreViewer", [&] { c.MaxRestoreViewer(false); }, 1147, K::Flag, "0"},
            {"ShowNextVideoPage", [&] { c.ShowNextVideoPage(); }, 1159, K::None, "0"},
            {"ShowPreviousVideoPage", [&] { c.ShowPreviousVideoPage(); }, 1158, K::None, "0"},
            {"ShiftCamerasBackward", [&] { c.ShiftCamerasBackward(); }, 1172, K::None, "0"},
            {"ShiftCamerasForward", [&] { c.ShiftCamerasForward(); }, 1173, K::None, "0"},
            {"ShowVideoPlayerVolumeBars", [&] { c.ShowVideoPlayerVolumeBars(QRect(10, 20, 30, 40)); }, 1166, K::Rect, "10,20 30x40"},
            {"EnableAllCamerasAudio", [&] { c.EnableAllCamerasAudio(true); }, 1195, K::Flag, "1"},

            {"CloseVideoPlayer", [&] { g.CloseVideoPlayer(video); }, 1148, K::Video, "video"},
            {"grid EnableCameraAudio", [&] { g.EnableCameraAudio(video); }, 1162, K::Video, "video"},
            {"grid DisableCameraAudio", [&] { g.DisableCameraAudio(video); }, 1165, K::Video, "video"},
            {"HandleMouseMoveInFullScreenMode", [&] { g.HandleMouseMoveInFullScreenMode(QPoint(640, 1079)); }, 1160, K::Point, "640,1079"},
            {"RefreshVideoWindow", [&] { g.RefreshVideoWindow(); }, 1206, K::None, "0"},
            {"HandleSingleTileMaximized", [&] { g.HandleSingleTileMaximized(cell); }, 1163, K::Cell, "cell"},
            {"HandleSingleTileMaximized none", [&] { g.HandleSingleTileMaximized(nullptr); }, 1163, K::Cell, "none"},
            {"SelectVideoPlayer", [&] { g.SelectVideoPlayer(video); }, 1161, K::Video, "video"},
            {"grid PlaySelectedVideoFile", [&, path] { g.PlaySelectedVideoFile(path); }, 1156, K::Text, quoted},
            {"grid OpenVideoPlayer", [&] { g.OpenVideoPlayer(item, cell); }, 1169, K::NavigatorItem, "item", K::Cell, "cell"},
            {"OpenVideoFileAndPlaySingleCamera", [&, path] { g.OpenVideoFileAndPlaySingleCamera(video, path); }, 1168, K::Video, "video", K::Text, quoted},
            {"grid OpenDewarpView", [&] { g.OpenDewarpView(video, QStringLiteral("Quad")); }, 1209, K::Video, "video", K::Text, "\"Quad\""},
            {"DewarpDragMove", [&] { g.DewarpDragMove(video); }, 1210, K::Video, "video"},
            {"DewarpDragStart", [&] { g.DewarpDragStart(video); }, 1211, K::Video, "video"},
            {"grid ShowWatermark", [&] { g.ShowWatermark(video); }, 1212, K::Video, "video"},

            {"OnPlay", [&] { t.OnPlay(); }, 1131, K::None, "0"},
            {"OnPause", [&] { t.OnPause(); }, 1132, K::None, "0"},
            {"OnPreviousFrame", [&] { t.OnPreviousFrame(); }, 1133, K::None, "0"},
            {"OnNextFrame", [&] { t.OnNextFrame(); }, 1134, K::None, "0"},
            {"OnFastForward", [&] { t.OnFastForward(); }, 1135, K::None, "0"},
            {"OnFastRewind", [&] { t.OnFastRewind(); }, 1136, K::None, "0"},
            {"OnLoop", [&] { t.OnLoop(true); }, 1138, K::Flag, "1"},
            {"OnShowFileInfo", [&] { t.OnShowFileInfo(); }, 1140, K::None, "0"},
            {"OnExportSnapshot", [&] { t.OnExportSnapshot(); }, 1141, K::None, "0"},
            {"OnAddBookmark", [&] { t.OnAddBookmark(); }, 1186, K::Time, "null"},
            {"OnSyncAll", [&] { t.OnSyncAll(); }, 1208, K::Flag, "0"},
            {"OnGoToTime", [&] { t.OnGoToTime(); }, 1142, K::None, "0"},
            {"OnShowMap", [&] { t.OnShowMap(); }, 1149, K::None, "0"},
        };
    }

    // The coordinators never look into the objects they pass on, so plain addresses will do.
    alignas(8) char storage[5][8] = {};
    Video* video = reinterpret_cast<Video*>(storage[0]);
    BookmarkRecord* bookmark = reinterpret_cast<BookmarkRecord*>(storage[1]);
    BookmarkList* bookmarks = reinterpret_cast<BookmarkList*>(storage[2]);
    NavigatorItem* item = reinterpret_cast<NavigatorItem*>(storage[3]);
    structTileInfo* cell = reinterpret_cast<structTileInfo*>(storage[4]);
    QObject tooltip;

    RecordingViewer viewer;
    CCoordinatorPlomeraView view{&viewer};
    CCoordinatorViewerCaption caption{&viewer};
    CCoordinatorViewerGrid grid{&viewer};
    CCoordinatorViewerTimeline timeline{&viewer};
    // Raised through the interfaces, as the panes do.
    IPlomeraViewEvents& v = view;
    IUIViewerCaptionEvents& c = caption;
    IUIViewerGridEvents& g = grid;
    IUITimelineEvents& t = timeline;
};

TEST_F(CoordinatorDeliveryTest, EveryEventReachesTheViewerAtOnceWithItsNumberAndParameters)
{
    for (const Row& row : AllEvents()) {
        SCOPED_TRACE(row.event);
        viewer.deliveries.clear();
        // The kinds are the contract, written out here again; the table must agree.
        const ViewerMessageSpec* spec = ViewerMessages::Find(row.message);
        ASSERT_NE(spec, nullptr);
        EXPECT_EQ(spec->w, row.wKind);
        EXPECT_EQ(spec->l, row.lKind);
        row.raise();
        // Synchronous: handled before the raiser continues.
        ASSERT_EQ(viewer.deliveries.size(), 1u);
        EXPECT_EQ(viewer.deliveries[0].message, row.message);
        EXPECT_EQ(viewer.deliveries[0].w, row.w);
        EXPECT_EQ(viewer.deliveries[0].l, row.l);
    }
}

TEST_F(CoordinatorDeliveryTest, WithoutTargetEveryEventIsDroppedQuietly)
{
    view.SetTargetWindow(nullptr);
    caption.SetTargetWindow(nullptr);
    grid.SetTargetWindow(nullptr);
    timeline.SetTargetWindow(nullptr);
    for (const Row& row : AllEvents())
        row.raise();
    EXPECT_TRUE(viewer.deliveries.empty());

    // A viewer destroyed before its coordinators leaves them without a target too.
    auto gone = std::make_unique<RecordingViewer>();
    grid.SetTargetWindow(gone.get());
    timeline.SetTargetWindow(gone.get());
    gone.reset();
    grid.PlaySelectedVideoFile(QStringLiteral("/evidence/a.video"));
    timeline.OnPlay();
    EXPECT_EQ(grid.TargetWindow(), nullptr);
    EXPECT_EQ(timeline.TargetWindow(), nullptr);
}

TEST(CoordinatorPaneOwnershipTest, CaptionAndTimelineCoordinatorsDestroyTheirWindows)
{
    QPointer<QObject> captionWindow = new QObject;
    QPointer<QObject> controlBar = new QObject;
    {
        CCoordinatorViewerCaption caption;
        CCoordinatorViewerTimeline timeline;
        caption.SetCaptionWindow(captionWindow);
        timeline.SetControlBarWindow(controlBar);
        EXPECT_EQ(caption.CaptionWindow(), captionWindow.data());
    }
    EXPECT_TRUE(captionWindow.isNull());
    EXPECT_TRUE(controlBar.isNull());

    // A window its parent destroyed first is not destroyed a second time.
    auto parent = std::make_unique<QObject>();
    CCoordinatorViewerCaption caption;
    caption.SetCaptionWindow(new QObject(parent.get()));
    parent.reset();
    EXPECT_EQ(caption.CaptionWindow(), nullptr);
}

}  // namespace
