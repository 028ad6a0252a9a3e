// A tile under the pointer and the keyboard, without a decoder: what it sends to its grid and
// the grid's coordinator, how its picture zooms, its context menu as the open popup shows it,
// and what its strips show.
#include "RecordingViewer.h"
#include "TileTestSupport.h"

#include "controls/CPlomeraBtnCtrl.h"
#include "controls/ResourceImage.h"
#include "events/CCoordinatorViewerGrid.h"
#include "evidence/Device.h"
#include "evidence/Video.h"
#include "viewer/CPtzPanel.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CVideoPlayerCaptionBar.h"
#include "viewer/CVideoPlayerStatusBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

namespace {

// The grid as the tile sees it: records the calls and hands out a coordinator whose viewer
// records the messages.
class RecordingGrid : public IVideoPlayerGrid {
public:
    RecordingGrid() : coordinator(&viewer) {}
    IUIViewerGridEvents* Coordinator() override { return &coordinator; }
    void PlayerClicked(const QPoint& p) override { calls << QStringLiteral("click %1,%2").arg(p.x()).arg(p.y()); }
    void PlayerDoubleClicked(const QPoint& p) override
    {
        calls << QStringLiteral("double %1,%2").arg(p.x()).arg(p.y());
    }
    void RemovePlayer(CVideoPlayer*) override { calls << QStringLiteral("remove"); }
    void PlayerDropped(CVideoPlayer*, const QPoint& p) override
    {
        calls << QStringLiteral("dropped %1,%2").arg(p.x()).arg(p.y());
    }
    bool NavigatorDrop(const QPoint&) override { return navigatorDragging; }

    RecordingViewer viewer;
    CCoordinatorViewerGrid coordinator;
    QStringList calls;
    bool navigatorDragging = false;

    QList<int> Numbers() const
    {
        QList<int> numbers;
        for (const Delivery& d : viewer.deliveries)
            numbers << d.message;
        return numbers;
    }
    void Clear()
    {
        viewer.deliveries.clear();
        calls.clear();
    }
};

class VideoPlayerInputTest : public ::testing::Test {
protected:
    VideoPlayerInputTest() : video(TileTest::MakeVideo(&device))
    {
        device.SetName(QStringLiteral("Recorder"));
        video->playbackState = PlaybackState::Playing;
        grid.viewer.names[reinterpret_cast<quintptr>(video.get())] = QStringLiteral("video");
        host.resize(800, 600);
        host.show();
        tile = new CVideoPlayer(video.get(), nullptr, &host);
        tile->SetGrid(&grid);
        tile->setGeometry(10, 10, 400, 300);
        tile->show();
        QApplication::processEvents();
    }

    QPoint InTile(const QPoint& containerPoint) const { return tile->Container()->mapTo(tile, containerPoint); }
    QString Screen(const QPoint& containerPoint) const
    {
        const QPoint s = tile->Container()->mapToGlobal(containerPoint);
        return QStringLiteral("%1,%2").arg(s.x()).arg(s.y());
    }

    Device device;
    std::unique_ptr<Video> video;
    RecordingGrid grid;
    QWidget host;
    CVideoPlayer* tile = nullptr;
};

using TileTest::SendMouse;
using TileTest::SendWheel;

} // namespace

TEST_F(VideoPlayerInputTest, PointerMessagesCarryScreenPointsAndPauseDuringShiftAndDewarpDrags)
{
    SendMouse(tile, QEvent::MouseMove, InTile(QPoint(30, 40)), Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(grid.Numbers(), QList<int>{1160});
    EXPECT_EQ(grid.viewer.deliveries[0].w, Screen(QPoint(30, 40)));

    grid.Clear();
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(50, 60)), Qt::LeftButton, Qt::LeftButton);
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(50, 60)), Qt::LeftButton, Qt::NoButton);
    SendMouse(tile, QEvent::MouseButtonDblClick, InTile(QPoint(50, 60)), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(grid.calls, QStringList({"click " + Screen(QPoint(50, 60)), "double " + Screen(QPoint(50, 60))}));
    EXPECT_TRUE(grid.Numbers().isEmpty()) << "a click at zoom 1 changes no view";

    // Shift-drag: the red rectangle follows the pointer, no 1160 meanwhile; the release selects,
    // zooms onto the rectangle and refreshes.
    grid.Clear();
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(200, 150)), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(tile, QEvent::MouseMove, InTile(QPoint(100, 90)), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_TRUE(grid.Numbers().isEmpty());
    const QImage drawn = tile->Panel()->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(100, 90), QColor(255, 0, 0)) << "corner where the pointer is";
    EXPECT_EQ(drawn.pixelColor(200, 150), QColor(255, 0, 0)) << "corner where it was pressed";
    EXPECT_EQ(drawn.pixelColor(150, 90), QColor(255, 0, 0));
    EXPECT_NE(drawn.pixelColor(150, 120), QColor(255, 0, 0)) << "only the outline";
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(100, 90)), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.calls, QStringList{"click " + Screen(QPoint(100, 90))});
    EXPECT_EQ(grid.Numbers(), QList<int>{1206});
    const double zoom = tile->Zoom().Factor();
    EXPECT_GT(zoom, 2.5);
    EXPECT_EQ(tile->Panel()->geometry(), tile->Zoom().Picture()) << "the surface sits at the picture rectangle";
    EXPECT_NE(tile->Panel()->grab().toImage().pixelColor(100, 90), QColor(255, 0, 0)) << "rectangle gone";

    // A plain drag pans (1206) and still reports the pointer (1160).
    grid.Clear();
    const QRect before = tile->Zoom().Picture();
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(100, 100)), Qt::LeftButton, Qt::LeftButton);
    SendMouse(tile, QEvent::MouseMove, InTile(QPoint(110, 95)), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(grid.Numbers(), QList<int>({1206, 1160}));
    EXPECT_EQ(tile->Zoom().Picture().topLeft(), before.topLeft() + QPoint(10, -5));
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(110, 95)), Qt::LeftButton, Qt::NoButton);

    // While a navigator item is dragged the release is the grid's drop, and nothing else.
    grid.Clear();
    grid.navigatorDragging = true;
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(20, 20)), Qt::LeftButton, Qt::LeftButton);
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(20, 20)), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(grid.calls.isEmpty());
    EXPECT_TRUE(grid.Numbers().isEmpty());
}

TEST_F(VideoPlayerInputTest, WheelAndCtrlKeysZoomEveryOtherKeyOnlyRefreshes)
{
    for (int i = 0; i < 12; ++i) {
        SendWheel(tile, InTile(QPoint(100, 100)), 120);
    }
    EXPECT_EQ(grid.Numbers().size(), 11) << "the twelfth turn would pass 3";
    EXPECT_GT(tile->Zoom().Factor(), 2.8);

    // Ctrl itself is a key like any other (1206); with plus or minus it zooms (1206).
    grid.Clear();
    const double at11 = tile->Zoom().Factor();
    QTest::keyClick(tile, Qt::Key_Minus, Qt::ControlModifier);
    const double out = tile->Zoom().Factor();
    EXPECT_LT(out, at11);
    QTest::keyClick(tile, Qt::Key_Equal, Qt::ControlModifier);  // the unshifted plus key
    EXPECT_GT(tile->Zoom().Factor(), out);
    QTest::keyClick(tile, Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_LT(tile->Zoom().Factor(), at11);
    QTest::keyClick(tile, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_GT(tile->Zoom().Factor(), out);
    EXPECT_EQ(grid.Numbers(), QList<int>(8, 1206));

    grid.Clear();
    const double zoomed = tile->Zoom().Factor();
    QTest::keyClick(tile, Qt::Key_A);
    QTest::keyClick(tile, Qt::Key_Plus);  // plus without Ctrl is any other key
    EXPECT_EQ(grid.Numbers(), QList<int>({1206, 1206}));
    EXPECT_DOUBLE_EQ(tile->Zoom().Factor(), zoomed);

    // Back to 1 by the wheel, where there is nothing to zoom out of; half notches add up.
    while (tile->Zoom().IsZoomed()) {
        SendWheel(tile, InTile(QPoint(100, 100)), -120);
    }
    grid.Clear();
    SendWheel(tile, InTile(QPoint(100, 100)), -120);
    QTest::keyClick(tile, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(grid.Numbers(), QList<int>{1206}) << "Ctrl's own, no zoom";
    EXPECT_FALSE(tile->Zoom().IsZoomed());
    SendWheel(tile, InTile(QPoint(100, 100)), 60);
    EXPECT_FALSE(tile->Zoom().IsZoomed());
    SendWheel(tile, InTile(QPoint(100, 100)), 60);
    EXPECT_TRUE(tile->Zoom().IsZoomed());

    // A tile lower than its strips: no area, no zoom, and the zoom it had comes back with it.
    const QRect picture = tile->Zoom().Picture();
    tile->resize(400, 30);
    grid.Clear();
    SendWheel(tile, QPoint(100, 15), 120);
    EXPECT_TRUE(grid.Numbers().isEmpty());
    tile->resize(400, 300);
    EXPECT_EQ(tile->Zoom().Picture(), picture);
}

TEST_F(VideoPlayerInputTest, DewarpTileDragStoresFractionsOfThePictureShownAndNeverPans)
{
    video->dewarpView = 1;
    // Zoomed to 2 onto the bottom-right quarter: fractions must be of the picture, not the container.
    const QSize c = tile->Container()->size();
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(c.width() / 2, c.height() / 2)), Qt::LeftButton, Qt::LeftButton,
              Qt::ShiftModifier);
    SendMouse(tile, QEvent::MouseMove, InTile(QPoint(c.width(), c.height())), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(c.width(), c.height())), Qt::LeftButton, Qt::NoButton);
    ASSERT_DOUBLE_EQ(tile->Zoom().Factor(), 2.0);
    const QRect picture = tile->Zoom().Picture();

    grid.Clear();
    SendMouse(tile, QEvent::MouseButtonPress, InTile(QPoint(0, 0)), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(grid.Numbers(), QList<int>{1211});
    EXPECT_EQ(grid.viewer.deliveries.back().w, QStringLiteral("video"));
    const VideoFile& f = *video->GetVideoFile();
    EXPECT_FLOAT_EQ(f.dragX1, 0.5f);
    EXPECT_FLOAT_EQ(f.dragY1, 0.5f);
    SendMouse(tile, QEvent::MouseMove, InTile(QPoint(c.width() / 2, c.height() * 2)), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(grid.Numbers(), QList<int>({1211, 1210})) << "no 1160 during the drag";
    EXPECT_FLOAT_EQ(f.dragX0, 0.5f);
    EXPECT_FLOAT_EQ(f.dragY0, 0.5f);
    EXPECT_FLOAT_EQ(f.dragX1, 0.75f);
    EXPECT_FLOAT_EQ(f.dragY1, 1.0f) << "clamped to the picture";
    SendMouse(tile, QEvent::MouseButtonRelease, InTile(QPoint(c.width() / 2, c.height() * 2)), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(tile->Zoom().Picture(), picture);
    // The wheel still zooms a view.
    SendWheel(tile, InTile(QPoint(10, 10)), 120);
    EXPECT_GT(tile->Zoom().Factor(), 2.0);
}

TEST_F(VideoPlayerInputTest, CloseLeavesTheCellThenRaises1148AndAStripDragEndsInTheGrid)
{
    CPlomeraBtnCtrl* close = tile->CaptionBar()->CloseButton();
    QTest::mouseClick(close, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(grid.calls, QStringList{"remove"});
    ASSERT_EQ(grid.Numbers(), QList<int>{1148});
    EXPECT_EQ(grid.viewer.deliveries[0].w, QStringLiteral("video"));

    // Grabbed by the status strip: the tile follows with its offset kept, on top, hand cursor.
    grid.Clear();
    auto* other = new QWidget(&host);
    other->setGeometry(300, 200, 100, 100);
    other->show();
    QWidget* strip = tile->StatusBar();
    const QRect start = tile->geometry();
    SendMouse(strip, QEvent::MouseButtonPress, QPoint(30, 5), Qt::LeftButton, Qt::LeftButton);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    EXPECT_EQ(host.children().last(), tile) << "raised";
    SendMouse(strip, QEvent::MouseMove, QPoint(130, 55), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(tile->geometry(), start.translated(100, 50));
    const QPoint release = strip->mapTo(&host, QPoint(30, 5));  // the strip has moved with the tile
    SendMouse(strip, QEvent::MouseButtonRelease, QPoint(30, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(grid.calls, QStringList{QStringLiteral("dropped %1,%2").arg(release.x()).arg(release.y())});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(grid.Numbers().isEmpty());

    // Without a grid it goes back.
    tile->SetGrid(nullptr);
    tile->setGeometry(start);
    SendMouse(tile->CaptionBar(), QEvent::MouseButtonPress, QPoint(30, 5), Qt::LeftButton, Qt::LeftButton);
    SendMouse(tile->CaptionBar(), QEvent::MouseMove, QPoint(80, 45), Qt::NoButton, Qt::LeftButton);
    SendMouse(tile->CaptionBar(), QEvent::MouseButtonRelease, QPoint(30, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(tile->geometry(), start);
}

namespace {

struct Popup {
    QString resource;
    QStringList items;    // "-" for a separator
    QStringList dewarp;   // the sub-menu's
    QImage firstPicture;
    QPoint at;
};

// Opens the menu by open and reads the popup it shows, then closes it (or chooses its first
// item by the keyboard).
std::optional<Popup> ReadPopup(const std::function<void()>& open, bool chooseFirst = false)
{
    std::optional<Popup> seen;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        Popup p;
        p.resource = menu->objectName();
        p.at = menu->pos();
        for (QAction* a : menu->actions()) {
            p.items << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (a->menu() != nullptr) {
                for (QAction* s : a->menu()->actions())
                    p.dewarp << (s->isSeparator() ? QStringLiteral("-") : s->text());
            }
        }
        p.firstPicture = menu->actions().value(0)->icon().pixmap(16, 16).toImage();
        seen = p;
        if (chooseFirst) {
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
    });
    open();
    QApplication::processEvents();
    return seen;
}

const QStringList kCeiling = {"Ptz", "Panoramic 180", "Panoramic 360", "-", "180 Panorama View", "360 Panorama View",
                              "360 Panorama+PTZ", "360 Panorama+3PTZ", "360 Panorama+6PTZ", "360 Panorama+8PTZ",
                              "2PTZ", "4PTZ", "360 Degree+3 PTZ", "360 Degree+8 PTZ"};
const QStringList kWall = {"Ptz", "Panoramic 180", "Panoramic 360", "-", "Panorama View", "Panorama+3 PTZ",
                           "Panorama+8 PTZ", "4PTZ", "360 Degree+3 PTZ", "360 Degree+8 PTZ"};

} // namespace

TEST_F(VideoPlayerInputTest, ContextMenuByAudioMountFisheyeKindAndDewarpTile)
{
    const QPoint at = tile->Container()->mapToGlobal(QPoint(20, 20));
    enum Kind { Plain, Full, Second };
    for (bool audio : {true, false}) {
        for (const char* mount : {"Ceiling", "Desktop", "Wall", "Pole"}) {
            for (Kind kind : {Plain, Full, Second}) {
                for (bool view : {false, true}) {
                    video->audioOn = audio;
                    VideoFile& f = *video->GetVideoFile();
                    f.mountType = QString::fromLatin1(mount);
                    f.fisheyeFullDewarp = kind == Full;
                    f.fisheyeSecondKind = kind == Second;
                    video->dewarpView = view;
                    const std::optional<Popup> popup = ReadPopup([&] { tile->OpenContextMenu(at); });
                    const std::string where = std::string(audio ? "on " : "off ") + mount + " kind "
                        + std::to_string(kind) + (view ? " view" : "");
                    ASSERT_TRUE(popup.has_value()) << where;

                    const QString m = QString::fromLatin1(mount);
                    const int resource = m == "Desktop" ? (audio ? 32853 : 32851)
                        : m == "Wall"                   ? (audio ? 32852 : 32854)
                                                        : (audio ? 32786 : 32787);
                    EXPECT_EQ(popup->resource, QString::number(resource)) << where;
                    QStringList items = {audio ? "Disable Audio" : "Enable Audio", "Watermark"};
                    QStringList sub;
                    if (!view && kind == Full) {
                        sub = kCeiling.mid(0, 3);
                    } else if (!view && kind == Second) {
                        sub = m == "Wall" ? kWall : kCeiling;
                        if (m == "Desktop")
                            sub.removeAll("2PTZ");
                    }
                    if (!sub.isEmpty())
                        items << "Dewarp View";
                    EXPECT_EQ(popup->items, items) << where;
                    EXPECT_EQ(popup->dewarp, sub) << where;
                    const QImage picture = ResourceImage(audio ? 392 : 393).Image();
                    EXPECT_EQ(popup->firstPicture.convertToFormat(picture.format()), picture) << where;
                }
            }
        }
    }
}

TEST_F(VideoPlayerInputTest, MenuIsRefusedUnlessPlayingAndTheKeyboardOpensItAtThePictureCentre)
{
    const QPoint at = tile->Container()->mapToGlobal(QPoint(20, 20));
    for (PlaybackState state : {PlaybackState::Paused, PlaybackState::FastForward, PlaybackState::Rewinding,
                                PlaybackState::SteppedForward, PlaybackState::Closed}) {
        video->playbackState = state;
        EXPECT_FALSE(ReadPopup([&] { tile->OpenContextMenu(at); }).has_value()) << static_cast<int>(state);
    }
    video->playbackState = PlaybackState::Playing;
    device.SetCapability(10, 1);
    EXPECT_FALSE(ReadPopup([&] { tile->OpenContextMenu(at); }).has_value()) << "capability byte 10";
    device.SetCapability(10, 0);

    // Menu key and Shift+F10 on the focused tile: at the picture's centre; Enter takes the item.
    tile->setFocus();
    const QPoint centre = tile->Container()->mapToGlobal(tile->Container()->rect().center());
    for (const auto& [key, modifiers] : {std::pair(Qt::Key_Menu, Qt::KeyboardModifiers()),
                                         std::pair(Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier))}) {
        grid.Clear();
        video->audioOn = 0;
        const auto popup = ReadPopup([&] { QTest::keyClick(tile, key, modifiers); }, true);
        ASSERT_TRUE(popup.has_value());
        EXPECT_EQ(popup->at, centre);
        // Shift is a key press of its own (1206).
        EXPECT_EQ(grid.Numbers(), key == Qt::Key_Menu ? QList<int>{1162} : QList<int>({1206, 1162}));
        EXPECT_EQ(video->audioOn, 1);
    }
}

TEST_F(VideoPlayerInputTest, EachMenuCommandSendsItsMessage)
{
    const struct {
        int command;
        int message;
        const char* viewName;
    } rows[] = {
        {32785, 1162, nullptr},           {32784, 1165, nullptr},           {32860, 1212, nullptr},
        {32838, 1209, "PTZ"},             {32839, 1209, "Panoramic 180"},   {32840, 1209, "Panoramic 360"},
        {32843, 1209, "Panorama360+Ptz"}, {32844, 1209, "Panorama360+3Ptz"}, {32845, 1209, "Panorama360+6Ptz"},
        {32846, 1209, "Panorama360+8Ptz"}, {32847, 1209, "Panorama2Ptz"},   {32848, 1209, "Panorama4Ptz"},
        {32849, 1209, "Fishye3Ptz"},      {32850, 1209, "Fishye8Ptz"},      {32851, 1209, "Panorama+3Ptz"},
        {32852, 1209, "Panorama+8Ptz"},   {32855, 1209, "Panorama"},        {32856, 1209, "Panorama180"},
        {32857, 1209, "Panorama360"},
    };
    for (const auto& row : rows) {
        grid.Clear();
        tile->OnMenuCommand(row.command);
        ASSERT_EQ(grid.Numbers(), QList<int>{row.message}) << row.command;
        EXPECT_EQ(grid.viewer.deliveries[0].w, QStringLiteral("video"));
        if (row.viewName) {
            EXPECT_EQ(grid.viewer.deliveries[0].l, "\"" + QString::fromLatin1(row.viewName) + "\"") << row.command;
        }
        if (row.command == 32785) {
            EXPECT_EQ(video->audioOn, 1);
        }
        if (row.command == 32784) {
            EXPECT_EQ(video->audioOn, 0);
        }
    }
}

TEST_F(VideoPlayerInputTest, StripsColourTheirLabelsAndCloseButtonTimeFlagsAndOverlay)
{
    CVideoPlayerCaptionBar* caption = tile->CaptionBar();
    EXPECT_EQ(tile->windowTitle(), QStringLiteral("Camera 1"));
    EXPECT_EQ(caption->findChild<QLabel*>("1021")->toolTip(), QStringLiteral("Camera title: Camera 7"));
    EXPECT_EQ(tile->StatusBar()->findChild<QLabel*>("1108")->toolTip(), QStringLiteral("Device title: Recorder"));
    EXPECT_EQ(tile->StatusBar()->DeviceTitle(), QStringLiteral("Recorder"));
    EXPECT_EQ(tile->StatusBar()->State(), QStringLiteral("Playback 1x"));
    EXPECT_EQ(tile->StatusBar()->StateTooltip(), QStringLiteral("Video stream status: Playback 1x ")) << "no frame yet";

    auto colourUnder = [&](QWidget* w) {
        QApplication::processEvents();
        return tile->grab().toImage().pixelColor(w->mapTo(tile, QPoint(1, 1)));
    };
    CPlomeraBtnCtrl* close = caption->CloseButton();
    EXPECT_EQ(colourUnder(caption->findChild<QLabel*>("1021")), QColor(86, 150, 100));
    EXPECT_EQ(colourUnder(close), QColor(86, 150, 100));
    tile->SetStripColour(QColor(210, 210, 210));
    EXPECT_EQ(colourUnder(caption->findChild<QLabel*>("1021")), QColor(210, 210, 210));
    EXPECT_EQ(colourUnder(tile->StatusBar()->findChild<QLabel*>("1109")), QColor(210, 210, 210));
    EXPECT_EQ(colourUnder(close), QColor(210, 210, 210)) << "the close button's pictures follow the strip";

    caption->SetShowMilliseconds(true);
    tile->SetTime(CalendarFields{2023, 3, 15, 10, 15, 30, 123});
    QLabel* time = caption->findChild<QLabel*>("1009");
    EXPECT_TRUE(time->text().contains(QStringLiteral("30.123"))) << time->text().toStdString();
    EXPECT_EQ(time->toolTip(), time->text());
    tile->SetShowTime(false);
    EXPECT_TRUE(time->text().isEmpty());
    tile->SetTime(CalendarFields{2023, 3, 15, 10, 15, 31, 0});
    EXPECT_TRUE(time->text().isEmpty()) << "nothing while the time is off";

    tile->ShowStrips(false);
    EXPECT_TRUE(tile->IsOverlay());
    EXPECT_FALSE(caption->isVisible());
    EXPECT_EQ(tile->Container()->geometry(), tile->rect());
    tile->ShowStrips(true);
    EXPECT_EQ(tile->Container()->geometry().top(), caption->height());
    EXPECT_EQ(tile->Container()->geometry().bottom() + 1, tile->StatusBar()->geometry().top());
}

TEST(VideoPlayerNoPictureTest, NoPictureByteShowsBlue)
{
    Device device;
    auto video = TileTest::MakeVideo(&device);
    video->noPicture = 1;
    CVideoPlayer tile(video.get(), nullptr);
    tile.resize(200, 150);
    tile.show();
    QApplication::processEvents();
    const QImage shot = tile.grab().toImage();
    const QPoint centre = tile.Container()->geometry().center();
    EXPECT_EQ(shot.pixelColor(centre), QColor(60, 60, 255));
}

// The caption's time in three locales, as pictures for a look (PLOMERA_TEST_SHOTS names the folder).
TEST(VideoPlayerTimeShotTest, TimeInThreeLocales)
{
    Device device;
    auto video = TileTest::MakeVideo(&device);
    const QLocale saved;
    for (const auto& [name, time] : {std::pair("en_US", QStringLiteral("10:15:30.123")),
                                     std::pair("de_DE", QStringLiteral("10:15:30.123")),
                                     std::pair("ko_KR", QStringLiteral("10시 15분 30.123초"))}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        CVideoPlayer tile(video.get(), nullptr);
        tile.resize(420, 120);
        tile.SetShowMilliseconds(true);
        tile.SetTime(CalendarFields{2023, 3, 15, 10, 15, 30, 123});
        tile.show();
        QApplication::processEvents();
        const QString text = tile.CaptionBar()->TimeText();
        EXPECT_TRUE(text.contains(time)) << name << ": " << text.toStdString();
        TileTest::SaveShot(tile.CaptionBar()->grab(), QStringLiteral("time-%1.png").arg(QString::fromLatin1(name)));
    }
    QLocale::setDefault(saved);
}
