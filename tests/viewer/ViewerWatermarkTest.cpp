// The watermark window and badges as the viewer drives them: the window opens on the tile's
// request, follows the selected tile, and goes away with the files; the 500 ms tile check badges
// each tile whose camera fails its checks.
#include "TileTestSupport.h"

#include "events/ViewerMessageDispatch.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/WaterMarkerDlg.h"
#include "viewer/WatermarkBadge.h"
#include "viewer/WatermarkReportSink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

TEST(ViewerWatermarkTest, WindowFollowsTheSelectedTileTilesCarryTheirBadgesAndCloseAllHidesIt)
{
    QTemporaryDir folder;
    struct Case {
        const char* name;
        bool watermark;
        int breakSecond, gapFrom, gapTo;
        WatermarkBadge::Kind kind;
    };
    const Case cases[] = {
        {"clean", true, -1, -1, -1, WatermarkBadge::Kind::None},
        {"break", true, 1, -1, -1, WatermarkBadge::Kind::Broken},
        {"gap", true, -1, 1, 6, WatermarkBadge::Kind::Missing},
        {"none", false, -1, -1, -1, WatermarkBadge::Kind::Missing},
    };
    QStringList files;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SampleEvidenceOptions o;
        o.durationSeconds = 8;
        o.width = 320;
        o.height = 180;
        o.fps = 25;
        o.gop = 25;
        o.bitRate = 4000000;  // past the viewer's 2 MiB floor
        o.watermark = cases[i].watermark;
        o.watermarkBreak = cases[i].breakSecond;
        o.watermarkGapFrom = cases[i].gapFrom;
        o.watermarkGapTo = cases[i].gapTo;
        o.firstCamera = static_cast<int>(i) + 1;
        QDir().mkpath(folder.filePath(cases[i].name));
        files << SampleMaker::Make(folder.filePath(cases[i].name), o).value(0);
        ASSERT_GE(QFileInfo(files.back()).size(), 2097152) << cases[i].name;
    }

    CViewer viewer;
    viewer.resize(1000, 800);
    viewer.show();
    viewer.SetMessageBoxFunction([](const QString& text, const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) {
        ADD_FAILURE() << "asked: " << text.toStdString();
        return QMessageBox::Ok;
    });
    SendViewerMessage<ViewerMessages::SetLayout>(&viewer, static_cast<int>(CViewerCapabilities::Layout2x2));
    for (const QString& file : files)
        SendViewerMessage<ViewerMessages::OpenLocalFile>(&viewer, file);
    ASSERT_EQ(viewer.Players().size(), std::size(cases));
    std::vector<CVideoPlayer*> tiles;
    for (size_t i = 0; i < std::size(cases); ++i)
        tiles.push_back(viewer.Grid()->Model().CellAt(static_cast<int>(i))->player);

    // Reports of the selected camera go nowhere until a tile asks for the window.
    WatermarkReportSink* sink = viewer.Watermarks();
    QTest::qWait(300);
    EXPECT_EQ(sink->Window(), nullptr);
    Video* clean = tiles[0]->GetVideo();
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(&viewer, clean);
    SendViewerMessage<ViewerMessages::ShowWatermark>(&viewer, clean);
    WaterMarkerDlg* window = sink->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == QStringLiteral("Watermark-") + clean->title; }, 10000))
        << window->windowTitle().toStdString();
    EXPECT_TRUE(window->Text().contains(QStringLiteral("Channel:")));

    // Another tile selected: the window switches to its camera; a second request only raises it.
    Video* broken = tiles[1]->GetVideo();
    ASSERT_NE(broken->title, clean->title);
    SendViewerMessage<ViewerMessages::SelectVideoPlayer>(&viewer, broken);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == QStringLiteral("Watermark-") + broken->title; }, 10000))
        << window->windowTitle().toStdString();
    SendViewerMessage<ViewerMessages::ShowWatermark>(&viewer, broken);
    EXPECT_EQ(sink->Window(), window);

    // The tile check badges the failing cameras and leaves the others bare.
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_TRUE(QTest::qWaitFor([&] { return tiles[i]->CaptionBar()->Badge().kind == cases[i].kind
                                                 && (cases[i].kind != WatermarkBadge::Kind::None
                                                     || viewer.Facade().GetWatermarkStatus(tiles[i]->GetVideo()).recordsSeen >= 5); },
                                    15000));
        EXPECT_EQ(tiles[i]->CaptionBar()->Badge().kind, cases[i].kind);
    }
    TileTest::SaveShot(viewer.grab(), QStringLiteral("viewer-watermark.png"));

    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(&viewer);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(viewer.Players().empty());
}
