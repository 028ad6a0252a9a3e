// The navigator tree on opened sample evidence: files told apart by their full path, the reuse
// of a listed file, camera pictures under a folded file, dropped files, drags and releases, each
// as the viewer and the user would notice them.
#include "NavigatorTestSupport.h"

#include "events/ViewerMessages.h"
#include "evidence/Camera.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CVideoFileViewCollector.h"
#include "navigator/CViewTree.h"
#include "navigator/NavigatorMenus.h"
#include "navigator/VideoFileTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class NavigatorTreeTest : public NavigatorFixture {
protected:
    NavigatorTreeTest()
    {
        selector.SetEvents([this]() -> IPlomeraViewEvents* { return &coordinator; });
    }

    CVideoFileViewCollector* Form() const { return selector.TreeForm(); }
    QTreeWidgetItem* Root() const { return Form()->Root(); }
    static QString PathOf(const QTreeWidgetItem* item) { return VideoFileTree::Record(item)->path; }
    std::vector<int> Messages() const
    {
        std::vector<int> numbers;
        for (const Delivery& d : viewer.deliveries) numbers.push_back(d.message);
        return numbers;
    }

    CVideoFileSelector selector;
};

} // namespace

// Two exports that both hold "Camera 1.video" stay two items; opening one again replaces only
// its own item, and releasing it leaves the other file listed.
TEST_F(NavigatorTreeTest, SameNamedFilesOfTwoFoldersAreListedAndReleasedApart)
{
    EXPECT_TRUE(Root()->text(0).startsWith(QStringLiteral("Player")));
    EXPECT_EQ(VideoFileTree::ImageOf(Root()), VideoFileTree::Computer);
    const auto a = Open(QStringLiteral("a"), Small()).front();
    const auto b = Open(QStringLiteral("b"), Small()).front();
    const QString pathA = a.front()->GetVideoFile()->path;
    const QString pathB = b.front()->GetVideoFile()->path;
    ASSERT_NE(pathA, pathB);
    ASSERT_EQ(VideoFileTree::NameOf(pathA), VideoFileTree::NameOf(pathB));

    selector.AddCamerasToTreeView(a, 0);
    selector.AddCamerasToTreeView(b, 0);
    ASSERT_EQ(Root()->childCount(), 2);
    EXPECT_EQ(Root()->child(0)->text(0), Root()->child(1)->text(0));
    EXPECT_EQ(PathOf(Root()->child(0)), pathA);
    EXPECT_EQ(PathOf(Root()->child(1)), pathB);
    EXPECT_EQ(VideoFileTree::ImageOf(Root()->child(0)), VideoFileTree::FilmStrip);
    EXPECT_EQ(selector.Tree()->currentItem(), Root()->child(1));

    // The same file again: its old item goes, the new one comes last.
    selector.AddCamerasToTreeView(a, 0);
    ASSERT_EQ(Root()->childCount(), 2);
    EXPECT_EQ(PathOf(Root()->child(0)), pathB);
    EXPECT_EQ(PathOf(Root()->child(1)), pathA);

    // "Release" on a camera of A asks the viewer to release A alone and forgets A's item.
    selector.Tree()->setCurrentItem(Root()->child(1)->child(0));
    viewer.deliveries.clear();
    Form()->RunCommand(NavigatorMenus::ReleaseFile);
    ASSERT_EQ(viewer.deliveries.size(), 1u);
    EXPECT_EQ(viewer.deliveries[0].message, ViewerMessages::ReleaseVideoFile);
    EXPECT_EQ(viewer.deliveries[0].w, QLatin1Char('"') + pathA + QLatin1Char('"'));
    ASSERT_EQ(Root()->childCount(), 1);
    EXPECT_EQ(PathOf(Root()->child(0)), pathB);

    // "Release Files" releases what is left, then finds nothing and says so.
    QStringList boxes;
    Form()->SetMessageBox([&](const QString& text, const QString& caption) { boxes << text << caption; });
    viewer.deliveries.clear();
    selector.Tree()->setCurrentItem(Root());
    Form()->RunCommand(NavigatorMenus::ReleaseFiles);
    EXPECT_EQ(Messages(), std::vector<int>{ViewerMessages::ReleaseVideoFile});
    EXPECT_EQ(Root()->childCount(), 0);
    EXPECT_TRUE(boxes.isEmpty());
    Form()->RunCommand(NavigatorMenus::ReleaseFiles);
    EXPECT_EQ(boxes, (QStringList{"No Video File is currently opened", "Release Files"}));
}

// Playing a listed file again keeps its item where it is and lists its cameras anew; a file that
// is not listed adds nothing and clears the selection.
TEST_F(NavigatorTreeTest, ReuseFlagOneRebuildsCamerasUnderTheListedItem)
{
    SampleEvidenceOptions o = Small();
    o.cameras = 2;
    o.channelsPerFile = 2;
    const auto two = Open(QStringLiteral("two"), o).front();
    ASSERT_EQ(two.size(), 2u);
    const auto other = Open(QStringLiteral("other"), Small()).front();
    const auto unlisted = Open(QStringLiteral("unlisted"), Small()).front();
    selector.AddCamerasToTreeView(two, 0);
    selector.AddCamerasToTreeView(other, 0);
    QTreeWidgetItem* file = Root()->child(0);
    QTreeWidgetItem* firstCamera = file->child(0);
    // Marked shown; the rebuilt item starts dark again until the viewer reports it.
    selector.UpdateCameraOnOffStatus(two[0], true);
    EXPECT_EQ(VideoFileTree::ImageOf(firstCamera), VideoFileTree::CameraShown);

    selector.AddCamerasToTreeView({two[1]}, 1);
    ASSERT_EQ(Root()->childCount(), 2);
    EXPECT_EQ(Root()->child(0), file);
    ASSERT_EQ(file->childCount(), 1);
    EXPECT_EQ(VideoFileTree::Record(file->child(0))->video, two[1]);
    EXPECT_EQ(VideoFileTree::ImageOf(file->child(0)), VideoFileTree::CameraNotShown);
    EXPECT_TRUE(file->isExpanded());
    EXPECT_EQ(selector.Tree()->currentItem(), file);

    selector.AddCamerasToTreeView(unlisted, 1);
    EXPECT_EQ(Root()->childCount(), 2);
    EXPECT_TRUE(selector.Tree()->selectedItems().isEmpty());
    // Nothing of this reached the viewer: the tree only follows what the viewer did.
    EXPECT_TRUE(viewer.deliveries.empty());
}

// The camera pictures follow the viewer's reports, also under a file whose item is folded.
TEST_F(NavigatorTreeTest, CameraPicturesFollowReportsUnderAFoldedFile)
{
    EXPECT_TRUE(Form()->HasImageList());
    const auto videos = Open(QStringLiteral("f"), Small()).front();
    selector.AddCamerasToTreeView(videos, 0);
    QTreeWidgetItem* file = Root()->child(0);
    QTreeWidgetItem* camera = file->child(0);
    EXPECT_EQ(VideoFileTree::ImageOf(camera), VideoFileTree::CameraNotShown);
    EXPECT_FALSE(camera->icon(0).isNull());
    file->setExpanded(false);

    selector.UpdateCameraOnOffStatus(videos[0], true);
    EXPECT_EQ(VideoFileTree::ImageOf(camera), VideoFileTree::CameraShown);
    Form()->Items().channel1 = Form()->Items().channel2 = true;
    selector.UpdateCameraAudioOnOffStatus(videos[0], true);
    EXPECT_EQ(VideoFileTree::ImageOf(camera), VideoFileTree::CameraWithAudio);
    EXPECT_FALSE(Form()->Items().channel1 || Form()->Items().channel2);
    selector.UpdateCameraAudioOnOffStatus(videos[0], false);
    EXPECT_EQ(VideoFileTree::ImageOf(camera), VideoFileTree::CameraShown);
    selector.UpdateCameraOnOffStatus(videos[0], false);
    EXPECT_EQ(VideoFileTree::ImageOf(camera), VideoFileTree::CameraNotShown);

    // The viewer's camera selection moves the tree's without coming back as an event.
    selector.SelectCameraOnTreeView(videos[0]);
    EXPECT_EQ(selector.Tree()->currentItem(), camera);
    EXPECT_TRUE(viewer.deliveries.empty());
}

// Each dropped local file is one open request, in drop order, whatever its extension; other
// URLs are ignored and the tree keeps its items as they were.
TEST_F(NavigatorTreeTest, DroppedFilesBecomeOneOpenEachInDropOrder)
{
    const auto videos = Open(QStringLiteral("d"), Small()).front();
    selector.AddCamerasToTreeView(videos, 0);
    const QStringList paths{dir.filePath("z.video"), dir.filePath("notes.txt"), dir.filePath("a.partial")};
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(paths[0]), QUrl(QStringLiteral("https://example.org/x.video")),
                   QUrl::fromLocalFile(paths[1]), QUrl::fromLocalFile(paths[2])});
    QWidget* target = selector.Tree()->viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);

    ASSERT_EQ(viewer.deliveries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(viewer.deliveries[i].message, ViewerMessages::OpenLocalFile);
        EXPECT_EQ(viewer.deliveries[i].w, QLatin1Char('"') + paths[i] + QLatin1Char('"'));
    }
    ASSERT_EQ(Root()->childCount(), 1);
    EXPECT_EQ(Root()->child(0)->childCount(), 1);
    delete mime;
}

// A drag records the dragged file or camera as the main view's drag source, and the drag's end
// clears it even when the item was let go away from the grid; the root is never a source.
TEST_F(NavigatorTreeTest, DragEndedAwayFromTheGridClearsTheSource)
{
    const auto videos = Open(QStringLiteral("g"), Small()).front();
    selector.AddCamerasToTreeView(videos, 0);
    struct Source {
        bool inProgress = false;
        NavigatorItem item;
    } source;
    selector.SetDragSource([&](const NavigatorItem* item) {
        source.inProgress = item != nullptr;
        if (item) source.item = *item;
    });
    std::vector<bool> inProgressWhileDragging;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    selector.Tree()->SetDragRunner([&](QDrag* drag) {
        inProgressWhileDragging.push_back(source.inProgress);
        EXPECT_TRUE(drag->mimeData()->hasFormat(QString::fromLatin1(CViewTree::kDragMimeType)));
        if (const QCursor* c = QGuiApplication::overrideCursor()) cursor = c->shape();
        return Qt::IgnoreAction;  // let go outside the grid
    });

    QTreeWidgetItem* file = Root()->child(0);
    selector.Tree()->setCurrentItem(file->child(0));
    selector.Tree()->DragCurrentItem();
    EXPECT_EQ(inProgressWhileDragging, std::vector<bool>{true});
    EXPECT_EQ(cursor, Qt::PointingHandCursor);
    EXPECT_FALSE(source.inProgress);
    EXPECT_EQ(source.item.kind, NavigatorItem::Camera);
    EXPECT_EQ(source.item.video, videos[0]);
    EXPECT_EQ(source.item.path, videos[0]->GetVideoFile()->path);

    selector.Tree()->setCurrentItem(file);
    selector.Tree()->DragCurrentItem();
    EXPECT_FALSE(source.inProgress);
    EXPECT_EQ(source.item.kind, NavigatorItem::File);
    EXPECT_EQ(source.item.video, nullptr);

    inProgressWhileDragging.clear();
    selector.Tree()->setCurrentItem(Root());
    selector.Tree()->DragCurrentItem();
    EXPECT_EQ(inProgressWhileDragging, std::vector<bool>{false});
}

// Double click and selection of a camera reach the viewer; those of a file or the root do not.
// "Select All" raises its state, and unchecking from the viewer's side raises 0 once.
TEST_F(NavigatorTreeTest, CameraSelectionDoubleClickAndSelectAll)
{
    const auto videos = Open(QStringLiteral("s"), Small()).front();
    Name(videos[0], QStringLiteral("camera"));
    selector.AddCamerasToTreeView(videos, 0);
    QTreeWidgetItem* file = Root()->child(0);
    viewer.deliveries.clear();
    selector.Tree()->setCurrentItem(Root());
    emit selector.Tree()->itemDoubleClicked(file, 0);
    EXPECT_TRUE(viewer.deliveries.empty());
    selector.Tree()->setCurrentItem(file->child(0));
    emit selector.Tree()->itemDoubleClicked(file->child(0), 0);
    EXPECT_EQ(Messages(), (std::vector<int>{ViewerMessages::SelectCamera, ViewerMessages::OpenVideoPlayer}));
    EXPECT_EQ(viewer.deliveries[0].w, QStringLiteral("camera"));

    viewer.deliveries.clear();
    selector.EnableSelectAll(true);
    selector.SelectAll()->click();
    EXPECT_TRUE(selector.SelectAll()->isChecked());
    selector.UnCheckSelectAllInVideoFileSelector();
    selector.UnCheckSelectAllInVideoFileSelector();
    EXPECT_FALSE(selector.SelectAll()->isChecked());
    ASSERT_EQ(Messages(), (std::vector<int>{ViewerMessages::SelectAllCameras, ViewerMessages::SelectAllCameras}));
    EXPECT_EQ(viewer.deliveries[0].w, "1");
    EXPECT_EQ(viewer.deliveries[1].w, "0");
    selector.SelectAll()->click();
    selector.EnableSelectAll(false);
    EXPECT_FALSE(selector.SelectAll()->isChecked());
    EXPECT_FALSE(selector.SelectAll()->isEnabled());
}
