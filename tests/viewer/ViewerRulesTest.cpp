// The viewer's plain rules without a window: the size floor and one file under two spellings,
// which bars show over the full-screen viewer, the caption's page text and buttons, and the cells
// rotating under the shift buttons.
#include "viewer/FullScreenBars.h"
#include "viewer/ViewerCaptionState.h"
#include "viewer/ViewerGridModel.h"
#include "viewer/ViewerOpenRules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString WriteFile(const QTemporaryDir& dir, const QString& name, qint64 size)
{
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_TRUE(f.resize(size));
    return f.fileName();
}

} // namespace

TEST(ViewerOpenRules, SizeFloorIsTwoWholeMebibytesAndOneFileHasOneCanonicalPath)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ViewerOpenRules::PassesSizeFloor(WriteFile(dir, "short.video", 2097151)));
    EXPECT_TRUE(ViewerOpenRules::PassesSizeFloor(WriteFile(dir, "floor.video", 2097152)));
    EXPECT_FALSE(ViewerOpenRules::PassesSizeFloor(dir.filePath("missing.video")));
    EXPECT_FALSE(ViewerOpenRules::PassesSizeFloor(dir.path()));

    const QString floor = dir.filePath("floor.video");
    ASSERT_TRUE(QFile::link(floor, dir.filePath("link.video")));
    QDir::setCurrent(dir.path());
    EXPECT_TRUE(ViewerOpenRules::SameFile(floor, QStringLiteral("floor.video")));
    EXPECT_TRUE(ViewerOpenRules::SameFile(floor, QStringLiteral("./sub/../floor.video")));
    EXPECT_TRUE(ViewerOpenRules::SameFile(floor, dir.filePath("link.video")));
    EXPECT_FALSE(ViewerOpenRules::SameFile(floor, dir.filePath("short.video")));
    // Case matters: another spelling of the letters is another file.
    EXPECT_FALSE(ViewerOpenRules::SameFile(floor, dir.filePath("FLOOR.video")));
}

TEST(FullScreenBars, EachBarShowsWhileThePointerIsInItsStripAndPopUpsKeepCaptionAndNavigator)
{
    const QRect viewer(100, 50, 1000, 600);  // screen coordinates
    const auto at = [&](QPoint p, bool popup = false) { return FullScreenBars::For(viewer, 60, 24, 200, p, popup); };

    const auto bottom = at(QPoint(600, 649));
    EXPECT_EQ(bottom.bar, QRect(100, 590, 1000, 60));
    EXPECT_TRUE(bottom.showBar);
    EXPECT_FALSE(bottom.showCaption);
    EXPECT_FALSE(bottom.showNavigator);
    EXPECT_FALSE(at(QPoint(600, 589)).showBar);  // one pixel above the bar
    EXPECT_FALSE(at(QPoint(600, 650)).showBar);  // below the viewer

    const auto top = at(QPoint(600, 50));
    EXPECT_TRUE(top.showCaption);
    EXPECT_EQ(top.caption, QRect(100, 50, 1000, 24));
    EXPECT_FALSE(at(QPoint(600, 74)).showCaption);

    const auto left = at(QPoint(299, 300));
    EXPECT_TRUE(left.showNavigator);
    EXPECT_EQ(left.navigator, QRect(100, 50, 200, 600));  // its width, the viewer's height
    EXPECT_FALSE(at(QPoint(300, 300)).showNavigator);

    // A pop-up open: the caption and navigator stay as they are, the control bar still follows.
    const auto popup = at(QPoint(150, 60), true);
    EXPECT_FALSE(popup.showCaption);
    EXPECT_FALSE(popup.showNavigator);
    EXPECT_TRUE(at(QPoint(150, 620), true).showBar);
}

TEST(ViewerCaptionState, PageTextAndButtonsFollowPageAndFile)
{
    ViewerCaptionState s;
    EXPECT_EQ(s.PageText(), QStringLiteral("Page 1/1"));
    s.SetPageText(0, 1);
    EXPECT_FALSE(s.PreviousEnabled());
    EXPECT_FALSE(s.NextEnabled());
    s.SetPageText(1, 3);
    EXPECT_EQ(s.PageText(), QStringLiteral("Page 2/3"));
    EXPECT_TRUE(s.PreviousEnabled());
    EXPECT_TRUE(s.NextEnabled());
    s.SetPageText(2, 3);
    EXPECT_FALSE(s.NextEnabled());
    s.ResetPageText();
    EXPECT_EQ(s.PageText(), QStringLiteral("Page 1/1"));
    EXPECT_FALSE(s.PreviousEnabled());

    s.EnableAudioButton(true, ViewerCaptionState::kAudioOnPicture);
    s.EnableFileControls(true);
    EXPECT_TRUE(s.FileControls());
    EXPECT_FALSE(s.AudioEnabled());  // enabled on its own once a camera with audio opens
    EXPECT_EQ(s.AudioPicture(), ViewerCaptionState::kAudioOffPicture);
}

TEST(ViewerCaptionState, WindowButtonsKeepTheirCornerWhileTheTitleGroupStaysLeft)
{
    // At the template's width, or narrower, every control is at its template place.
    EXPECT_EQ(ViewerCaptionState::ControlX(139, 684), 208);
    EXPECT_EQ(ViewerCaptionState::ControlX(439, 684), 658);
    EXPECT_EQ(ViewerCaptionState::ControlX(439, 400), 658);
    // Wider: the title group stays, the page group moves with the right edge.
    EXPECT_EQ(ViewerCaptionState::ControlX(246, 1284), 369);
    EXPECT_EQ(ViewerCaptionState::ControlX(330, 1284), 1095);
    EXPECT_EQ(ViewerCaptionState::ControlX(439, 1284), 1258);
}

TEST(ViewerGridModel, ShiftRotatesEveryCellEmptyOnesIncluded)
{
    ViewerGridModel m;
    m.Build(CViewerCapabilities::LayoutCustom3x1);  // three cells
    auto* a = reinterpret_cast<CVideoPlayer*>(0x10);
    auto* b = reinterpret_cast<CVideoPlayer*>(0x20);
    m.Tileset(0, a);
    m.Tileset(1, b);
    const auto cells = [&] {
        return std::vector<CVideoPlayer*>{m.CellAt(0)->player, m.CellAt(1)->player, m.CellAt(2)->player};
    };
    m.Rotate(true);
    EXPECT_EQ(cells(), (std::vector<CVideoPlayer*>{b, nullptr, a}));
    EXPECT_EQ(m.Order(), (ViewerGridModel::Players{b, a}));
    m.Rotate(false);
    m.Rotate(false);
    EXPECT_EQ(cells(), (std::vector<CVideoPlayer*>{nullptr, a, b}));
    ViewerGridModel one;
    one.Build(CViewerCapabilities::Layout1x1);
    one.Tileset(0, a);
    one.Rotate(true);
    EXPECT_EQ(one.CellAt(0)->player, a);
}
