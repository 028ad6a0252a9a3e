// Snapshots on real evidence through the viewer: the dialog offers the displayed cameras and
// saves each into the folder without replacing earlier files; a camera that gives no picture is
// named; and every image is the frame on screen with that frame's own time, playing, paused and
// stepped, on four cameras of two files recorded an hour apart, and on the clipboard.
#include "driver/VdlLibrary.h"
#include "events/NavigatorItem.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/Camera.h"
#include "evidence/Video.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CViewTree.h"
#include "navigator/NavigatorTreeItem.h"
#include "timeline/CTimelineExportSnapshotDlg.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "tools/sample/StampCommand.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerCapabilities.h"
#include "viewer/IViewerHost.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <set>

namespace {

constexpr int kFps = 25;

struct Host : IViewerHost {
    CVideoFileSelector navigator;
    QString status;
    CVideoFileSelector* Navigator() override { return &navigator; }
    QWidget* NavigatorPane() override { return &navigator; }
    void SetStatusPane1(const QString& text) override { status = text; }
    void SetFullScreenMode(bool) override {}
    IPlomeraViewEvents* ViewEvents() override { return nullptr; }
    QString HostTempFolder() override { return {}; }
};

struct Asked {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// What a saved snapshot tells: the frame its picture carries and the second its name gives.
struct Shot {
    qint64 frame = -1;
    int camera = -1;
    qint64 namedTime = 0;
    QSize size;
};

Shot Read(const QString& path)
{
    Shot s;
    const QImage image(path);
    s.size = image.size();
    s.frame = StampCommand::FrameIndex(image);
    const QImage picture = image.copy(StampCommand::PictureRect(image)).convertToFormat(QImage::Format_RGB32);
    s.camera = FrameStamp::ReadCamera(picture.constBits(), picture.width(), picture.height(), static_cast<int>(picture.bytesPerLine()));
    // "_0_Sample Recorder_1_20210605_070801" or, beside an earlier one, "...070801-2".
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("_(\\d{8}_\\d{6})(-\\d+)?\\.png$")).match(QFileInfo(path).fileName());
    EXPECT_TRUE(m.hasMatch()) << path.toStdString();
    s.namedTime = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd_HHmmss")).toSecsSinceEpoch();
    return s;
}

class ViewerSnapshotsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = 8;
        o.width = 320;
        o.height = 180;
        o.fps = kFps;
        o.gop = kFps;
        o.bitRate = 4000000;  // past the 2 MiB floor
        o.cameras = 2;
        o.channelsPerFile = 2;
        first = SampleMaker::MakeFiles(folder->filePath("first"), o).at(0);
        o.firstCamera = 3;
        o.startUtc = first.startTime + 3600;
        later = SampleMaker::MakeFiles(folder->filePath("later"), o).at(0);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    void SetUp() override
    {
        ASSERT_GE(QFileInfo(first.path).size(), 2097152);
        ASSERT_EQ(later.startTime, first.startTime + 3600);
        table = VdlLibrary::Adapter();
        viewer = std::make_unique<CViewer>(nullptr, &table);
        viewer->SetHost(&host);
        viewer->resize(1000, 700);
        viewer->show();
        viewer->SetMessageBoxFunction(
            [this](const QString& text, const QString&, QMessageBox::StandardButtons, QMessageBox::Icon icon) {
                asked.push_back({text, icon});
                return QMessageBox::Ok;
            });
        SendViewerMessage<ViewerMessages::SetLayout>(viewer.get(), static_cast<int>(CViewerCapabilities::Layout2x2));
        ASSERT_TRUE(out.isValid());
    }
    void TearDown() override { viewer.reset(); }

    void Open(const SampleFile& file) { SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), file.path); }
    // A file's second camera, as the navigator would ask for it.
    void OpenSecondCamera(const SampleFile& file)
    {
        const auto items = host.navigator.Tree()->findItems(QFileInfo(file.path).fileName(),
                                                            Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(items.isEmpty());
        auto* camera = dynamic_cast<NavigatorTreeItem*>(items.front()->child(1));
        ASSERT_NE(camera, nullptr);
        NavigatorItem item;
        item.kind = NavigatorItem::Camera;
        item.path = file.path;
        item.video = camera->record.video;
        SendViewerMessage<ViewerMessages::OpenVideoPlayer>(viewer.get(), &item, static_cast<structTileInfo*>(nullptr));
    }
    void WaitForPictures()
    {
        for (CVideoPlayer* player : viewer->Players()) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !player->Panel()->HeldImage().isNull(); }, 15000));
        }
    }
    QStringList Saved(const QString& dir) const
    {
        QStringList paths;
        for (const QString& name : QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
            paths << QDir(dir).filePath(name);
        }
        return paths;
    }
    // The File menu's snapshots go where the dialog points; here into the test's folder.
    void PointSnapshotsAtOut()
    {
        SendViewerMessage<ViewerMessages::OnExportSnapshot>(viewer.get());
        ASSERT_NE(viewer->SnapshotDialog(), nullptr);
        viewer->SnapshotDialog()->SetFolder(out.path());
        viewer->SnapshotDialog()->hide();
    }
    // The selected tile to a file through the File menu's road; the file it wrote.
    QString SnapshotSelected()
    {
        const QStringList before = Saved(out.path());
        SendViewerMessage<ViewerMessages::SnapshotSelectedTile>(viewer.get());
        const QString prefix = QStringLiteral("Snapshot saved : ");
        EXPECT_TRUE(host.status.startsWith(prefix)) << host.status.toStdString();
        const QString path = host.status.mid(prefix.size());
        EXPECT_FALSE(before.contains(path));
        return path;
    }
    static qint64 FrameSecond(const SampleFile& file, qint64 frame) { return file.startTime + frame / kFps; }

    static inline QTemporaryDir* folder = nullptr;
    static inline SampleFile first;
    static inline SampleFile later;
    VdlAdapter table{};
    Host host;
    std::unique_ptr<CViewer> viewer;
    std::vector<Asked> asked;
    QTemporaryDir out;
};

TEST_F(ViewerSnapshotsTest, DialogSavesTheTickedCamerasAndNeverReplacesAnEarlierSave)
{
    // Nothing displayed: nothing to offer.
    SendViewerMessage<ViewerMessages::OnExportSnapshot>(viewer.get());
    EXPECT_EQ(viewer->SnapshotDialog(), nullptr);

    Open(first);
    Open(later);
    WaitForPictures();
    SendViewerMessage<ViewerMessages::OnExportSnapshot>(viewer.get());
    CTimelineExportSnapshotDlg* dlg = viewer->SnapshotDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->Folder(), QDir::homePath() + QStringLiteral("/Snapshots"));
    EXPECT_EQ(dlg->DeviceTitleLabel()->text(), QStringLiteral("Sample Recorder"));
    QListWidget* list = dlg->CameraList();
    ASSERT_EQ(list->count(), 2);
    // "Snapshot" only while a camera is ticked.
    list->item(0)->setCheckState(Qt::Unchecked);
    list->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dlg->SnapshotButton()->isEnabled());
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dlg->SnapshotButton()->isEnabled());
    list->item(0)->setCheckState(Qt::Checked);

    // The 500 ms timer keeps the dialog's time at the playing position.
    const qint64 shown = dlg->Time();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->Time() > shown; }, 3000));
    EXPECT_EQ(dlg->Time(), viewer->CurrentPosition());

    // A folder without a trailing "/", not there yet: made, and the images land inside it.
    const QString shots = out.filePath(QStringLiteral("shots"));
    dlg->SetFolder(shots);
    dlg->SnapshotButton()->click();
    EXPECT_FALSE(dlg->isVisible());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Snapshots Generated"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Information);
    const QStringList once = Saved(shots);
    ASSERT_EQ(once.size(), 2);
    EXPECT_TRUE(QFileInfo(once[0]).fileName().startsWith(QStringLiteral("_0_Sample Recorder_1_2021")));
    EXPECT_TRUE(QFileInfo(once[1]).fileName().startsWith(QStringLiteral("_1_Sample Recorder_3_2021")));
    for (const QString& path : once) {
        EXPECT_EQ(Read(path).size, QSize(440, 220));
    }
    QByteArray kept;
    {
        QFile f(once[0]);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        kept = f.readAll();
    }

    // The same dialog again; the same cameras in the same second keep the earlier files.
    SendViewerMessage<ViewerMessages::OnPause>(viewer.get());
    SendViewerMessage<ViewerMessages::OnExportSnapshot>(viewer.get());
    EXPECT_EQ(viewer->SnapshotDialog(), dlg);
    EXPECT_EQ(dlg->Folder(), shots);
    dlg->SnapshotButton()->click();
    dlg->SnapshotButton()->click();
    EXPECT_EQ(Saved(shots).size(), 6);
    QFile f(once[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), kept);
}

TEST_F(ViewerSnapshotsTest, CamerasWithoutAPictureAreNamed)
{
    Open(first);
    Open(later);
    WaitForPictures();
    Video ghost(std::make_unique<Camera>());
    ghost.title = QStringLiteral("Ghost");
    const VideoList shown = viewer->DisplayedCameras();
    ASSERT_EQ(shown.size(), 2u);

    SnapshotRequest three{out.path(), viewer->CurrentPosition(), {shown[0], &ghost, shown[1]}};
    SendViewerMessage<ViewerMessages::SaveSnapshots>(viewer.get(), static_cast<void*>(&three));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("Snapshots Generated\nNot saved: Ghost"));
    EXPECT_EQ(asked[0].icon, QMessageBox::Warning);
    const QStringList saved = Saved(out.path());
    ASSERT_EQ(saved.size(), 2);
    // The index is the camera's place in the request.
    EXPECT_TRUE(QFileInfo(saved[1]).fileName().startsWith(QStringLiteral("_2_")));

    SnapshotRequest lost{out.path(), 0, {&ghost}};
    SendViewerMessage<ViewerMessages::SaveSnapshots>(viewer.get(), static_cast<void*>(&lost));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].text, QStringLiteral("Couldn't save snapshots"));
    EXPECT_EQ(asked[1].icon, QMessageBox::Critical);
    // No folder at all is no folder, not the root.
    SnapshotRequest nowhere{QString(), 0, {shown[0]}};
    SendViewerMessage<ViewerMessages::SaveSnapshots>(viewer.get(), static_cast<void*>(&nowhere));
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[2].text, QStringLiteral("Couldn't save snapshots"));
    EXPECT_EQ(Saved(out.path()).size(), 2);
}

TEST_F(ViewerSnapshotsTest, EachImageIsTheFrameOnScreenWithItsOwnTime)
{
    Open(first);
    WaitForPictures();
    PointSnapshotsAtOut();
    QTest::qWait(1200);

    // Playing: the second in the name is the second of the frame in the picture.
    const Shot playing = Read(SnapshotSelected());
    ASSERT_GE(playing.frame, 0);
    EXPECT_EQ(playing.namedTime, FrameSecond(first, playing.frame));

    // Paused, then three frames on: the picture moves by exactly three.
    // A frame already on its way when the pause came is let through first.
    Video* camera = viewer->Players().front()->GetVideo();
    const auto onScreen = [&] { return viewer->Facade().GetSnapshotAndFrame(camera).frame.frameIndex; };
    SendViewerMessage<ViewerMessages::OnPause>(viewer.get());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const int64_t before = onScreen();
        QTest::qWait(200);
        return onScreen() == before;
    }, 5000));
    const QString pausedPath = SnapshotSelected();
    const Shot paused = Read(pausedPath);
    ASSERT_GE(paused.frame, 0);
    for (int i = 0; i < 3; ++i) {
        SendViewerMessage<ViewerMessages::OnNextFrame>(viewer.get());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen() >= paused.frame + 3; }, 3000));
    QTest::qWait(200);
    const Shot stepped = Read(SnapshotSelected());
    EXPECT_EQ(stepped.frame, paused.frame + 3);
    EXPECT_EQ(stepped.namedTime, FrameSecond(first, stepped.frame));

    // The clipboard gets the same image as the file.
    const QString again = SnapshotSelected();
    SendViewerMessage<ViewerMessages::CopySnapshotToClipboard>(viewer.get());
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.convertToFormat(QImage::Format_ARGB32), QImage(again).convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Saved(out.path()).size(), 4);
    EXPECT_NE(pausedPath, again);
}

TEST_F(ViewerSnapshotsTest, FourCamerasOfTwoFilesEachCarryTheirOwnTime)
{
    Open(first);
    Open(later);
    OpenSecondCamera(first);
    OpenSecondCamera(later);
    ASSERT_EQ(viewer->Players().size(), 4u);
    WaitForPictures();
    QTest::qWait(600);
    SendViewerMessage<ViewerMessages::OnExportSnapshot>(viewer.get());
    CTimelineExportSnapshotDlg* dlg = viewer->SnapshotDialog();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(dlg->CameraList()->count(), 4);
    dlg->SetFolder(out.path());
    dlg->SnapshotButton()->click();
    const QStringList saved = Saved(out.path());
    ASSERT_EQ(saved.size(), 4);
    std::set<int> cameras;
    for (const QString& path : saved) {
        SCOPED_TRACE(path.toStdString());
        const Shot s = Read(path);
        ASSERT_GE(s.frame, 0);
        ASSERT_GE(s.camera, 1);
        cameras.insert(s.camera);
        // The name's camera number is the picture's.
        EXPECT_TRUE(QFileInfo(path).fileName().contains(QStringLiteral("_%1_2021").arg(s.camera)));
        EXPECT_EQ(s.namedTime, FrameSecond(s.camera <= 2 ? first : later, s.frame));
    }
    EXPECT_EQ(cameras, (std::set<int>{1, 2, 3, 4}));
}

} // namespace
