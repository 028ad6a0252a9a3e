// The viewer's metadata requests on a real vehicle recording, with and without the developer
// option: the strip draws exactly the inputs the settings dialog leaves selected, the samples play
// passes build the map's track and fill the panels, double clicks on the strip and on the map seek
// to their moments, and closing the file clears it all. New York time: the recorder's clock fields
// are read as local time, so a zone away from UTC shows a shift that should not be there.
#include "driver/MapPositionSeek.h"
#include "driver/MetadataStripScale.h"
#include "driver/VdlLibrary.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/FileTag.h"
#include "evidence/MetadataSection.h"
#include "evidence/Video.h"
#include "map/COSMCtrl.h"
#include "metadata/CTimelineMapViewDlg.h"
#include "metadata/CTimelineMetadataPlayback.h"
#include "metadata/CTimelineMetadataSettingsDlg.h"
#include "metadata/CTimelineMetadataSettingsListCtrl.h"
#include "metadata/CVehicleInfo.h"
#include "metadata/CVehicleInfoCollector.h"
#include "metadata/MetadataPanelText.h"
#include "navigator/CVideoFileSelector.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/TimelineIds.h"
#include "tools/sample/FrameStamp.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/IViewerHost.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cmath>

namespace {

constexpr int kFps = 25;
constexpr int kSeconds = 20;

struct Host : IViewerHost {
    CVideoFileSelector navigator;
    CTimelineMetadataPlayback strip;
    CVehicleInfo vehicleInfo;
    CCoordinatorPlomeraView* coordinator = nullptr;
    bool metadataPanes = false;
    CVideoFileSelector* Navigator() override { return &navigator; }
    QWidget* NavigatorPane() override { return &navigator; }
    void SetStatusPane1(const QString&) override {}
    void SetFullScreenMode(bool) override {}
    IPlomeraViewEvents* ViewEvents() override { return coordinator; }
    QString HostTempFolder() override { return {}; }
    CTimelineMetadataPlayback* MetadataStrip() override { return metadataPanes ? &strip : nullptr; }
    CVehicleInfo* VehicleInfoPane() override { return metadataPanes ? &vehicleInfo : nullptr; }
};

int Count(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
    }
    return n;
}

class ViewerMetadataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = kSeconds;
        o.width = 320;
        o.height = 180;
        o.fps = kFps;
        o.gop = kFps;
        o.bitRate = 2000000;  // past the 2 MiB floor
        o.cameras = 1;
        o.metadata = true;
        file = SampleMaker::MakeFiles(folder->path(), o).at(0);
        FileTag tag;
        ASSERT_TRUE(tag.LoadFromFile(file.path));
        track = *MetadataSection::Read(file.path, tag);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    // The option is read where the driver is chosen and the control bar made: set it first.
    void Start(const char* option)
    {
        if (option) {
            qputenv("PLOMERA_DEV_METADATA", option);
        } else {
            qunsetenv("PLOMERA_DEV_METADATA");
        }
        host.metadataPanes = option != nullptr;
        table = VdlLibrary::Adapter();
        viewer = std::make_unique<CViewer>(nullptr, &table);
        coordinator = std::make_unique<CCoordinatorPlomeraView>(viewer.get());
        host.coordinator = coordinator.get();
        host.strip.SetEvents([this]() -> IPlomeraViewEvents* { return coordinator.get(); });
        viewer->SetHost(&host);
        viewer->resize(900, 600);
        viewer->show();
        host.strip.resize(600, 46);
        host.strip.show();
        SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), file.path);
        ASSERT_EQ(viewer->Players().size(), 1u);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Frame() >= 0; }, 15000));
    }
    void TearDown() override
    {
        viewer.reset();
        coordinator.reset();
        qunsetenv("PLOMERA_DEV_METADATA");
    }

    // The frame index the tile's picture carries.
    int64_t Frame() const
    {
        const QImage held = viewer->Players().at(0)->Panel()->HeldImage();
        if (held.isNull()) return -1;
        const QImage rgb = held.scaled(320, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
        return FrameStamp::Read(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()));
    }
    // A seek plays on from the second it reached: its first frames show there.
    bool ShowsSecond(qint64 second) const
    {
        return QTest::qWaitFor([&] { return Frame() >= second * kFps && Frame() < second * kFps + kFps / 2; }, 5000);
    }
    template <int Message>
    void Send()
    {
        SendViewerMessage<Message>(viewer.get());
    }
    // The pointer over the strip without a button (the offscreen platform moves no real pointer).
    void Hover(const QPoint& at)
    {
        QMouseEvent move(QEvent::MouseMove, at, host.strip.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&host.strip, &move);
    }
    void Window(qint64 left, qint64 right)
    {
        SendViewerMessage<ViewerMessages::VisibleRangeChanged>(viewer.get(), left, right);
    }
    const MetadataConfigEntry& Entry(int32_t type) const
    {
        for (const MetadataConfigEntry& e : *viewer->MetadataConfig()) {
            if (e.id == type) return e;
        }
        throw std::runtime_error("no such input");
    }
    // The row of an input in the dialog's list.
    static int Row(CTimelineMetadataSettingsListCtrl* list, const QString& name)
    {
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->item(row, 0)->text() == name) return row;
        }
        return -1;
    }

    static inline QTemporaryDir* folder = nullptr;
    static inline SampleFile file;
    static inline MetadataTrack track;
    VdlAdapter table{};
    Host host;
    std::unique_ptr<CCoordinatorPlomeraView> coordinator;
    std::unique_ptr<CViewer> viewer;
};

constexpr QRgb kYellow = 0xFFFFFF00;  // Speed, selected in the recording
constexpr QRgb kCyan = 0xFF00FFFF;    // Accelerator Pressure, not selected

} // namespace

TEST_F(ViewerMetadataTest, WithoutTheOptionTheFilePlaysAsAnyOther)
{
    Start(nullptr);
    EXPECT_EQ(viewer->Players().at(0)->GetVideo()->hasMetadata, 0);
    EXPECT_FALSE(viewer->MetadataConfig().has_value());
    Send<ViewerMessages::DisplayMetadataSettings>();
    EXPECT_EQ(viewer->MetadataSettingsDialog(), nullptr);
    EXPECT_EQ(viewer->MapView(), nullptr);
    EXPECT_FALSE(viewer->Timeline()->Button(TimelineIds::ShowMap)->isVisibleTo(viewer->Timeline()));
    EXPECT_FALSE(host.strip.EnabledFlag());
}

TEST_F(ViewerMetadataTest, SettingsChooseWhatTheStripDraws)
{
    Start("1");
    Send<ViewerMessages::OnPause>();
    ASSERT_TRUE(viewer->MetadataConfig().has_value());
    EXPECT_EQ(viewer->MetadataConfig()->size(), track.settings.size());
    EXPECT_TRUE(host.strip.EnabledFlag());
    CTimelineBtnCtrl* mapButton = viewer->Timeline()->Button(TimelineIds::ShowMap);
    EXPECT_TRUE(mapButton->isVisibleTo(viewer->Timeline()));
    EXPECT_EQ(viewer->MapView(), nullptr);  // "1" docks the panes; the map waits for its button

    Window(file.startTime, file.startTime + kSeconds);
    const QImage* strip = host.strip.StripPicture();
    EXPECT_GT(Count(*strip, kYellow), 100);
    EXPECT_EQ(Count(*strip, kCyan), 0);

    // Cancel: a colour chosen and a tick changed, and nothing of it stays.
    Send<ViewerMessages::DisplayMetadataSettings>();
    CTimelineMetadataSettingsDlg* dlg = viewer->MetadataSettingsDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isModal());
    Send<ViewerMessages::DisplayMetadataSettings>();  // open already: the same one
    EXPECT_EQ(viewer->MetadataSettingsDialog(), dlg);
    CTimelineMetadataSettingsListCtrl* analog = dlg->List(MetadataSettingsForm::Group::Analog);
    const int speed = Row(analog, QStringLiteral("Speed"));
    const int accelerator = Row(analog, QStringLiteral("Accelerator Pressure"));
    ASSERT_GE(speed, 0);
    ASSERT_GE(accelerator, 0);
    dlg->SetColourChooser([](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(Qt::red); });
    dlg->OnColourRequested(MetadataSettingsForm::Group::Analog, speed);
    analog->SetChecked(speed, false);
    dlg->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->MetadataSettingsDialog() == nullptr; }));
    EXPECT_EQ(Entry(2).colour, 0xFFFFFF00u);
    EXPECT_TRUE(Entry(2).display);

    // OK: the accelerator instead of the speed, drawn at once and in every window after.
    Send<ViewerMessages::DisplayMetadataSettings>();
    dlg = viewer->MetadataSettingsDialog();
    ASSERT_NE(dlg, nullptr);
    analog = dlg->List(MetadataSettingsForm::Group::Analog);
    analog->SetChecked(speed, false);
    analog->SetChecked(accelerator, true);
    dlg->OnOK();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->MetadataSettingsDialog() == nullptr; }));
    EXPECT_FALSE(Entry(2).display);
    EXPECT_TRUE(Entry(3).display);
    EXPECT_EQ(Count(*strip, kYellow), 0);
    EXPECT_GT(Count(*strip, kCyan), 100);
    Window(file.startTime + 5, file.startTime + 12);
    EXPECT_EQ(Count(*strip, kYellow), 0);
    EXPECT_GT(Count(*strip, kCyan), 100);

    // Tooltips: off at first, so hovering shows nothing; on, the hover shows the values.
    Hover(QPoint(300, 20));
    EXPECT_FALSE(host.strip.TooltipWindow()->isVisible());
    host.strip.SetTooltipsOn(true);
    Hover(QPoint(301, 20));
    EXPECT_TRUE(host.strip.TooltipWindow()->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&host.strip, &leave);
    EXPECT_FALSE(host.strip.TooltipWindow()->isVisible());

    // A double click on the strip seeks to the second under the pointer (the strip's own window).
    Window(file.startTime, file.startTime + kSeconds);
    const MetadataStripScale scale(file.startTime, file.startTime + kSeconds, host.strip.width());
    const QPoint at(static_cast<int>(std::ceil(*scale.XAt(file.startTime + 7))), 20);
    QCursor::setPos(host.strip.mapToGlobal(at));
    QTest::mouseDClick(&host.strip, Qt::LeftButton, {}, at);
    EXPECT_TRUE(ShowsSecond(7)) << Frame();

    // Closing the file: no settings left to edit.
    Send<ViewerMessages::CloseAllVideoPlayersRequest>();
    EXPECT_FALSE(viewer->MetadataConfig().has_value());
    EXPECT_FALSE(host.strip.EnabledFlag());
    Send<ViewerMessages::DisplayMetadataSettings>();
    EXPECT_EQ(viewer->MetadataSettingsDialog(), nullptr);
}

TEST_F(ViewerMetadataTest, PlayBuildsTheTrackAndTheMapSeeks)
{
    Start("map");
    CTimelineMapViewDlg* map = viewer->MapView();
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->isVisible());
    EXPECT_EQ(map->windowTitle(), QStringLiteral("Map - Sample Recorder"));

    // From second 13 over the kind 1 sample at 16, to second 18 or so.
    SendViewerMessage<ViewerMessages::SeekToTime>(viewer.get(), file.startTime + 13);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->CurrentPosition() >= file.startTime + 18; }, 15000));
    Send<ViewerMessages::OnPause>();
    QTest::qWait(600);
    const qint64 second = viewer->CurrentPosition() - file.startTime;
    ASSERT_GE(second, 17);
    ASSERT_LT(second, kSeconds);

    COSMCtrl* ctrl = map->Map();
    EXPECT_EQ(ctrl->Markers().size(), 2u);
    ASSERT_GE(ctrl->Polylines().size(), 3u);
    const MetadataSample& skipped = track.samples.at(16);
    ASSERT_EQ(skipped.kind, 1);
    for (std::size_t i = 0; i < ctrl->Polylines().size(); ++i) {
        const auto& nodes = ctrl->Polylines()[i].nodes;
        ASSERT_EQ(nodes.size(), 2u);
        for (const auto& node : nodes) {
            EXPECT_FALSE(node.position.latitude == skipped.latitude && node.position.longitude == skipped.longitude);
        }
        if (i > 0) {
            EXPECT_EQ(nodes[0].position.latitude, ctrl->Polylines()[i - 1].nodes[1].position.latitude);
        }
    }
    // The last segment ends at the paused second's sample, and both panels show that sample as
    // the metadata command prints it.
    const MetadataSample& now = track.samples.at(static_cast<std::size_t>(second));
    EXPECT_EQ(ctrl->Polylines().back().nodes[1].position.latitude, now.latitude);
    EXPECT_EQ(map->Value(1090)->text(), MetadataPanelText::Coordinate(now.latitude, now.latitudeHemisphere));
    const auto pairs = MetadataPanelText::Pairs(now);
    QTreeWidget* list = host.vehicleInfo.Collector()->List();
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(pairs.size()));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0), pairs[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(list->topLevelItem(i)->text(1), pairs[static_cast<std::size_t>(i)].second);
    }

    // A double click on the map (centred on the latest point) seeks to the first sample within
    // 50 m of there.
    LatLongData positions;
    for (const MetadataSample& s : track.samples) positions.push_back({s.longitude, s.latitude, s.timeMillis});
    const QPoint middle = ctrl->rect().center();
    QTest::mouseDClick(ctrl, Qt::LeftButton, {}, middle);
    const COSMCtrlPosition centre = ctrl->GetCenter();
    const std::optional<qint64> expected = MapPositionSeek::TimeAt(positions, centre.latitude, centre.longitude);
    ASSERT_TRUE(expected.has_value());
    EXPECT_LT(*expected - file.startTime, second);
    EXPECT_TRUE(ShowsSecond(*expected - file.startTime)) << Frame();

    // A place 60 m outside the loop is near no sample: playback stays.
    const MetadataSample& first = track.samples.at(0);
    structMapPoint off{first.latitude, first.longitude + 60.0 / (111320.0 * std::cos(first.latitude * M_PI / 180.0))};
    Send<ViewerMessages::OnPause>();
    QTest::qWait(300);
    const int64_t before = Frame();
    SendViewerMessage<ViewerMessages::SeekToMapPoint>(viewer.get(), off);
    QTest::qWait(500);
    EXPECT_EQ(Frame(), before);

    // Closing the file clears the track; the next file starts a new one.
    Send<ViewerMessages::CloseAllVideoPlayersRequest>();
    EXPECT_TRUE(ctrl->Markers().empty());
    EXPECT_TRUE(ctrl->Polylines().empty());
    EXPECT_TRUE(map->IsFirstPoint());
}
