#include "app/CMainFrame.h"
#include "app/CPlomeraDoc.h"
#include "app/CPlomeraView.h"
#include "app/CommandIds.h"
#include "bookmarks/CBookmarkCollector.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CVideoFileViewCollector.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = std::make_unique<CMainFrame>(&doc);
        ASSERT_TRUE(frame->Create());
        frame->show();
    }

    CPlomeraDoc doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainWindowTest, ShowsItsBarsAndTheNavigator)
{
    EXPECT_EQ(frame->windowTitle(), "Ombrix Player");
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions()) {
        menus << a->text();
    }
    EXPECT_EQ(menus, QStringList({"&File", "&View", "&Help"}));
    QToolBar* bar = frame->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    ASSERT_EQ(bar->actions().size(), 4);
    EXPECT_EQ(bar->actions()[0]->data().toInt(), CommandIds::FileOpen);
    EXPECT_EQ(bar->actions()[1]->data().toInt(), CommandIds::SaveBookmarks);
    EXPECT_TRUE(bar->actions()[2]->isSeparator());
    EXPECT_EQ(bar->actions()[3]->data().toInt(), CommandIds::About);
    EXPECT_EQ(frame->Command(CommandIds::SaveBookmarks)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_TRUE(frame->menuBar()->actions()[0]->menu()->actions().contains(frame->Command(CommandIds::SaveBookmarks)));
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_TRUE(frame->NavigatorPane()->isVisible());
    EXPECT_EQ(frame->NavigatorPane()->windowTitle(), "Video File Selector");
    ASSERT_NE(frame->BookmarkPane(), nullptr);
    EXPECT_TRUE(frame->BookmarkPane()->isVisible());
    EXPECT_GT(frame->BookmarkPane()->geometry().top(), frame->Navigator()->TreeForm()->geometry().top());
    EXPECT_EQ(frame->dockWidgetArea(frame->NavigatorPane()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(frame->Command(CommandIds::FileOpen)->shortcut(), QKeySequence("Ctrl+O"));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(frame->minimumSize(), QSize(screen.width() / 4 * 3, screen.height() / 4 * 3));

    frame->SetFullScreenMode(true);
    EXPECT_FALSE(frame->menuBar()->isVisible());
    EXPECT_FALSE(frame->NavigatorPane()->isVisible());
    frame->SetFullScreenMode(false);
    EXPECT_TRUE(frame->menuBar()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(MainWindowTest, CommandsFollowTheViewFlags)
{
    using namespace CommandIds;
    CPlomeraView* view = frame->View();
    EXPECT_FALSE(frame->Command(SaveBookmarks)->isEnabled());
    view->bookmarksModified = true;
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->Command(SaveBookmarks)->isEnabled());

    EXPECT_TRUE(frame->Command(ShowVideoTime)->isChecked());
    frame->Command(ShowMilliseconds)->trigger();
    EXPECT_TRUE(view->showMilliseconds);
    frame->Command(ShowVideoTime)->trigger();  // off: milliseconds go too
    frame->Command(ShowVideoTime)->trigger();  // on again
    EXPECT_TRUE(view->showVideoTime);
    EXPECT_FALSE(view->showMilliseconds);
    EXPECT_FALSE(frame->Command(ShowMilliseconds)->isChecked());

    frame->Command(PreserveAspectRatio)->trigger();
    EXPECT_TRUE(frame->Command(PreserveAspectRatio)->isChecked());
    view->metadataCommandsEnabled = 0;
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->Command(MetadataChart)->isEnabled());
}

TEST_F(MainWindowTest, VisualStyleIsKept)
{
    EXPECT_EQ(frame->ApplicationLook(), CommandIds::DefaultStyle);
    frame->Command(216)->trigger();
    EXPECT_TRUE(frame->Command(216)->isChecked());
    EXPECT_FALSE(frame->Command(210)->isChecked());
    EXPECT_EQ(frame->Command(215)->text(), "Office 2007 (&Blue Style)");
    CPlomeraDoc doc2;
    CMainFrame again(&doc2);
    ASSERT_TRUE(again.Create());
    EXPECT_EQ(again.ApplicationLook(), 216);
    frame->OnApplicationLook(CommandIds::DefaultStyle);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
