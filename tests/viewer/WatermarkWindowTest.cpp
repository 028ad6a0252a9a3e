// The watermark window and the sink that feeds it: what reaches the window, when, and how it looks;
// real reports of a playing watermarked camera; the tiles' badges and the file information row.
#include "TileTestSupport.h"

#include "driver/FrameSurface.h"
#include "facade/FalFacade.h"
#include "timeline/CTimelineLocalFileInfoDlg.h"
#include "timeline/TimelineIds.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/WaterMarkerDlg.h"
#include "viewer/WatermarkBadge.h"
#include "viewer/WatermarkReportSink.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

const QString kText = QStringLiteral(" Date and Time:  05-06-2021 07:08:09\r\n\n Serial Number:  -5\r\n\n Channel:  1\r\n\n "
                                     "MAC Address:  00:12:ab:34:cd:56\r\n\n");
const QColor kBlue(212, 241, 249);

} // namespace

TEST(WatermarkWindowTest, ReportsBeforeTheFirstShowAreDroppedAndTheLaterOfTwoShows)
{
    WatermarkReportSink sink;
    WatermarkHandler handler = sink.Handler();
    handler(QStringLiteral("Watermark-Early"), kText);
    QCoreApplication::sendPostedEvents(&sink);
    EXPECT_EQ(sink.Window(), nullptr);

    sink.ShowWindow();
    WaterMarkerDlg* window = sink.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("WaterMarkDialog"));
    EXPECT_EQ(window->Text(), QString());
    EXPECT_EQ(window->parent(), nullptr);
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->size(), WaterMarkerDlg::FromDialogUnits(263, 100, window->font()));

    // Two reports from a library thread in quick succession: the later one shows.
    std::thread library([&] {
        handler(QStringLiteral("Watermark-Door"), QStringLiteral("first\r\n\n"));
        handler(QStringLiteral("Watermark-Till"), kText);
    });
    library.join();
    QCoreApplication::sendPostedEvents(&sink);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Watermark-Till"));
    EXPECT_FALSE(window->Text().contains(QLatin1Char('\r')));
    EXPECT_EQ(window->Text().count(QLatin1Char('\n')), 8);
    EXPECT_TRUE(window->Text().startsWith(QStringLiteral(" Date and Time:  05-06-2021 07:08:09\n\n Serial Number:  -5\n")));

    // A second request only shows it again: the same window, not a new one.
    window->hide();
    sink.ShowWindow();
    EXPECT_EQ(sink.Window(), window);
    EXPECT_TRUE(window->isVisible());
    sink.HideWindow();
    EXPECT_FALSE(window->isVisible());
}

TEST(WatermarkWindowTest, DialogAndLabelArePaintedLightBlue)
{
    WatermarkReportSink sink;
    sink.ShowWindow();
    WaterMarkerDlg* window = sink.Window();
    window->ShowReport(QStringLiteral("Watermark-Door"), kText);
    const QImage dialog = window->grab().toImage();
    EXPECT_EQ(QColor(dialog.pixel(2, 2)), kBlue);
    EXPECT_EQ(QColor(dialog.pixel(dialog.width() - 3, dialog.height() - 3)), kBlue);
    const QImage label = window->TextLabel()->grab().toImage();
    EXPECT_EQ(QColor(label.pixel(label.width() - 2, label.height() - 2)), kBlue);
    // Some of the label is text: not everything is background.
    bool inked = false;
    for (int y = 0; y < label.height() && !inked; ++y)
        for (int x = 0; x < label.width() && !inked; ++x)
            inked = QColor(label.pixel(x, y)) != kBlue;
    EXPECT_TRUE(inked);
    EXPECT_EQ(&WaterMarkerDlg::Background(), &WaterMarkerDlg::Background());
    TileTest::SaveShot(window->grab(), QStringLiteral("watermark-window.png"));
}

// Reports still queued when the sink goes are freed unshown (the sanitizer tree sees a leak).
TEST(WatermarkWindowTest, QueuedReportsAreFreedWhenTheSinkGoes)
{
    auto sink = std::make_unique<WatermarkReportSink>();
    sink->ShowWindow();
    WatermarkHandler handler = sink->Handler();
    for (int i = 0; i < 3; ++i)
        handler(QStringLiteral("Watermark-Door"), kText);
    sink.reset();
}

// A watermarked camera playing: the window follows it, captioned by its title, and the text's
// time is the time of the frame it came with.
TEST(WatermarkWindowTest, PlayingCameraReportsReachTheWindowWithItsFrameTime)
{
    QTemporaryDir folder;
    SampleEvidenceOptions o;
    o.durationSeconds = 6;
    o.width = 160;
    o.height = 96;
    o.fps = 10;
    o.gop = 10;
    o.watermark = true;
    const QString file = SampleMaker::Make(folder.path(), o).value(0);
    ASSERT_FALSE(file.isEmpty());
    WatermarkReportSink sink;
    sink.ShowWindow();
    FrameSurface surface; // outlives the facade's ports
    FalFacade facade;
    FalFacade::OwnedVideos videos = facade.OpenVideoFile(file, QFileInfo(file).absolutePath());
    ASSERT_FALSE(videos.empty());
    Video* video = videos.front().get();
    video->title = QStringLiteral("Door");
    video->renderWindow = surface.Handle();
    VideoList list{video};
    facade.PlayVideos(&list);
    facade.SetWatermark(video, sink.Handler());
    WaterMarkerDlg* window = sink.Window();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowTitle() == QStringLiteral("Watermark-Door"); }, 10000));
    facade.PauseVideo(video);
    QTest::qWait(100);
    QCoreApplication::sendPostedEvents(&sink);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Date and Time:  (\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d)")).match(window->Text());
    ASSERT_TRUE(m.hasMatch()) << window->Text().toStdString();
    const QDateTime said = QDateTime::fromString(m.captured(1), QStringLiteral("dd-MM-yyyy HH:mm:ss"));
    const SnapshotFrame shown = facade.GetSnapshotAndFrame(video);
    const QDateTime frame = QDateTime::fromMSecsSinceEpoch(shown.frame.wallClockMillis);
    // Reports come as the stream is read, a little ahead of the frame on screen.
    EXPECT_LE(std::llabs(said.secsTo(frame)), 1) << m.captured(1).toStdString() << " vs "
                                                << frame.toString().toStdString();
    facade.SetWatermark(video, nullptr);
    facade.StopVideos(&list);
}

// The clean, broken, gapped and unwatermarked samples, playing together: each tile's badge and
// the file information row say what the checks found, and a closed camera keeps its finding.
TEST(WatermarkChecksTest, SamplesGiveTheirStateInTheBadgeAndTheFileInformationRow)
{
    QTemporaryDir folder;
    struct Case {
        const char* name;
        bool watermark;
        int breakSecond, gapFrom, gapTo;
        WatermarkBadge::Kind kind;
        QString rowStart;
    };
    const Case cases[] = {
        {"clean", true, -1, -1, -1, WatermarkBadge::Kind::None, QStringLiteral("Verified (")},
        {"break", true, 1, -1, -1, WatermarkBadge::Kind::Broken, QStringLiteral("Broken: 1 of ")},
        {"gap", true, -1, 1, 5, WatermarkBadge::Kind::Missing, QStringLiteral("Missing: no record between 05-06-2021 07:08:00 and ")},
        {"none", false, -1, -1, -1, WatermarkBadge::Kind::Missing, QStringLiteral("Missing: no record between 05-06-2021 07:08:00 and ")},
    };
    std::vector<FrameSurface> surfaces(std::size(cases));
    FalFacade facade;
    std::vector<FalFacade::OwnedVideos> opened;
    QWidget window;
    window.resize(700, 500);
    window.show();
    std::vector<CVideoPlayer*> tiles;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SampleEvidenceOptions o;
        o.durationSeconds = 6;
        o.width = 160;
        o.height = 96;
        o.fps = 10;
        o.gop = 10;
        o.watermark = c.watermark;
        o.watermarkBreak = c.breakSecond;
        o.watermarkGapFrom = c.gapFrom;
        o.watermarkGapTo = c.gapTo;
        o.firstCamera = static_cast<int>(i) + 1;
        QDir().mkpath(folder.filePath(c.name));
        const QString file = SampleMaker::Make(folder.filePath(c.name), o).value(0);
        ASSERT_FALSE(file.isEmpty()) << c.name;
        opened.push_back(facade.OpenVideoFile(file, QFileInfo(file).absolutePath()));
        ASSERT_FALSE(opened.back().empty());
        Video* video = opened.back().front().get();
        video->renderWindow = surfaces[i].Handle();
        tiles.push_back(new CVideoPlayer(video, &facade, &window));
        tiles.back()->setGeometry(5, 5 + 120 * static_cast<int>(i), 400, 110);
        tiles.back()->show();
        VideoList one{video};
        facade.PlayVideos(&one);
    }
    // Each camera's finding is known once a few seconds are read: for the clean one, at its end.
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        Video* video = opened[i].front().get();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QString row = WatermarkBadge::RowText(facade, video);
                return row.startsWith(cases[i].rowStart)
                       && (cases[i].kind != WatermarkBadge::Kind::None || facade.GetWatermarkStatus(video).recordsSeen >= 5);
            },
            15000))
            << WatermarkBadge::RowText(facade, video).toStdString();
        tiles[i]->RefreshWatermarkBadge();
        const WatermarkBadge& badge = tiles[i]->CaptionBar()->Badge();
        EXPECT_EQ(badge.kind, cases[i].kind);
        QLabel* label = tiles[i]->CaptionBar()->BadgeLabel();
        EXPECT_EQ(label->isVisible(), badge.Shown());
        if (badge.Shown()) {
            EXPECT_EQ(label->toolTip(), WatermarkBadge::RowText(facade, video));
            const QImage shot = label->grab().toImage();
            EXPECT_EQ(QColor(shot.pixel(1, 1)), badge.background);
        }
        CTimelineLocalFileInfoDlg info(*video, {}, nullptr, WatermarkBadge::RowText(facade, video));
        EXPECT_TRUE(info.FieldText(TimelineIds::InfoWatermark).startsWith(cases[i].rowStart));
    }
    TileTest::SaveShot(window.grab(), QStringLiteral("watermark-badges.png"));
    const WatermarkBadge broken = tiles[1]->CaptionBar()->Badge();
    EXPECT_EQ(broken.text, QStringLiteral("Watermark broken"));
    EXPECT_EQ(broken.foreground, QColor(255, 255, 255));
    EXPECT_EQ(broken.background, QColor(200, 0, 0));
    const WatermarkBadge missing = tiles[2]->CaptionBar()->Badge();
    EXPECT_EQ(missing.text, QStringLiteral("Watermark missing"));
    EXPECT_EQ(missing.foreground, QColor(0, 0, 0));
    EXPECT_EQ(missing.background, QColor(255, 191, 0));

    // Closed, the broken camera keeps its finding until its file goes.
    Video* closed = opened[1].front().get();
    facade.CloseVideo(closed);
    EXPECT_TRUE(WatermarkBadge::RowText(facade, closed).startsWith(QStringLiteral("Broken: 1 of ")));
    tiles[1]->RefreshWatermarkBadge();
    EXPECT_EQ(tiles[1]->CaptionBar()->Badge().kind, WatermarkBadge::Kind::Broken);

    for (CVideoPlayer* tile : tiles)
        delete tile;
    for (auto& videos : opened) {
        VideoList list;
        for (auto& v : videos)
            list.push_back(v.get());
        facade.StopVideos(&list);
    }
}
