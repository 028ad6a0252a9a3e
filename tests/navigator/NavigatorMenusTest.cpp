// The navigator's menus on opened sample evidence: which menu a right click gets by the camera's
// state, the file's mount type and audio byte, and how the fisheye flags and a dewarp view prune
// "Dewarp View"; and what the chosen commands raise.
#include "NavigatorTestSupport.h"

#include "events/ViewerMessages.h"
#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "navigator/CVideoFileSelector.h"
#include "navigator/CVideoFileViewCollector.h"
#include "navigator/CViewTree.h"
#include "navigator/NavigatorMenus.h"
#include "navigator/VideoFileTree.h"

#include <QMenu>
#include <optional>

namespace {

using Menus = NavigatorMenus;

QStringList Texts(const std::vector<Menus::Entry>& entries)
{
    QStringList texts;
    for (const auto& e : entries) texts << e.text;
    return texts;
}

// The submenu's item texts; empty when the menu has no such submenu.
std::optional<QStringList> Submenu(const Menus::Menu& menu, const QString& text)
{
    for (const auto& e : menu.entries) {
        if (e.command == 0 && e.text == text) return Texts(e.submenu);
    }
    return std::nullopt;
}

Video* Playing(Video* video)
{
    video->playbackState = PlaybackState::Playing;
    return video;
}

} // namespace

class NavigatorMenusTest : public NavigatorFixture {};

// No camera menu unless the camera plays, none for a device with capability byte 10; the menu
// number follows the mount type compared exactly ("ceiling" is another type) and the audio byte.
TEST_F(NavigatorMenusTest, CameraMenuByStateMountTypeAndAudio)
{
    Video* video = Open(QStringLiteral("m"), Small()).front().front();
    for (PlaybackState state : {PlaybackState::Closed, PlaybackState::Opened, PlaybackState::Paused,
                                PlaybackState::FastForward, PlaybackState::SteppedForward}) {
        video->playbackState = state;
        EXPECT_EQ(Menus::ForCamera(video).id, 0) << static_cast<int>(state);
    }
    Playing(video);
    EXPECT_NE(Menus::ForCamera(video).id, 0);
    video->GetCamera()->GetDevice()->SetCapability(10, 1);
    EXPECT_EQ(Menus::ForCamera(video).id, 0);
    video->GetCamera()->GetDevice()->SetCapability(10, 0);

    const struct {
        const char* mount;
        int audioOn;
        int audioOff;
    } rows[] = {
        {"Ceiling", Menus::CeilingAudioOn, Menus::CeilingAudioOff},
        {"ceiling", Menus::CeilingAudioOn, Menus::CeilingAudioOff},
        {"", Menus::CeilingAudioOn, Menus::CeilingAudioOff},
        {"Desktop", Menus::DesktopAudioOn, Menus::DesktopAudioOff},
        {"Wall", Menus::WallAudioOn, Menus::WallAudioOff},
        {"WALL", Menus::CeilingAudioOn, Menus::CeilingAudioOff},
    };
    for (const auto& row : rows) {
        video->GetVideoFile()->mountType = QString::fromLatin1(row.mount);
        video->audioOn = 1;
        const Menus::Menu on = Menus::ForCamera(video);
        EXPECT_EQ(on.id, row.audioOn) << row.mount;
        EXPECT_EQ(on.entries.front().command, Menus::DisableAudio);
        EXPECT_EQ(on.entries.front().text, "Disable Audio");
        video->audioOn = 0;
        const Menus::Menu off = Menus::ForCamera(video);
        EXPECT_EQ(off.id, row.audioOff) << row.mount;
        EXPECT_EQ(off.entries.front().text, "Enable Audio");
        EXPECT_EQ(off.entries.at(1).command, Menus::Watermark);
    }
}

// "Dewarp View": gone for a plain recording and for a dewarp view; three items for a full-dewarp
// fisheye; the whole list of the mount type for the second kind.
TEST_F(NavigatorMenusTest, DewarpSubmenuPrunedByFisheyeFlagsAndDewarpViewByte)
{
    Video* plain = Playing(Open(QStringLiteral("plain"), Small()).front().front());
    EXPECT_EQ(Texts(Menus::ForCamera(plain).entries), (QStringList{"Enable Audio", "Watermark"}));

    SampleEvidenceOptions fish = Small();
    fish.fisheye = true;
    fish.width = fish.height = 160;
    Video* full = Playing(Open(QStringLiteral("full"), fish).front().front());
    ASSERT_TRUE(full->GetVideoFile()->fisheyeFullDewarp);
    EXPECT_EQ(Submenu(Menus::ForCamera(full), QStringLiteral("Dewarp View")),
              (QStringList{"Ptz", "Panoramic 180", "Panoramic 360"}));

    fish.fisheyeLayouts = true;
    fish.mount = QStringLiteral("Wall");
    Video* second = Playing(Open(QStringLiteral("second"), fish).front().front());
    ASSERT_TRUE(second->GetVideoFile()->fisheyeSecondKind);
    // As the tag stores it: "Wall" and its padding.
    ASSERT_EQ(second->GetVideoFile()->mountType, QStringLiteral("Wall") + QString(16, QChar(0)));
    const QStringList head{"Ptz", "Panoramic 180", "Panoramic 360", "-------------------"};
    const QStringList wall = head + QStringList{"Panorama View", "Panorama+3 PTZ", "Panorama+8 PTZ", "4PTZ",
                                                "360 Degree+3 PTZ", "360 Degree+8 PTZ"};
    EXPECT_EQ(Submenu(Menus::ForCamera(second), QStringLiteral("Dewarp View")), wall);
    const QStringList ceiling = head + QStringList{"180 Panorama View", "360 Panorama View", "360 Panorama+PTZ",
                                                   "360 Panorama+3PTZ", "360 Panorama+6PTZ", "360 Panorama+8PTZ",
                                                   "2PTZ", "4PTZ", "360 Degree+3 PTZ", "360 Degree+8 PTZ"};
    second->GetVideoFile()->mountType = QStringLiteral("Ceiling");
    EXPECT_EQ(Submenu(Menus::ForCamera(second), QStringLiteral("Dewarp View")), ceiling);
    second->GetVideoFile()->mountType = QStringLiteral("Desktop");
    QStringList desktop = ceiling;
    desktop.removeAll(QStringLiteral("2PTZ"));
    EXPECT_EQ(Submenu(Menus::ForCamera(second), QStringLiteral("Dewarp View")), desktop);

    second->dewarpView = 1;
    EXPECT_EQ(Submenu(Menus::ForCamera(second), QStringLiteral("Dewarp View")), std::nullopt);
    EXPECT_EQ(Menus::ForCamera(second).entries.size(), 2u);
}

// The file menu carries "Device Audio" only for a device with capability byte 9; byte 10 greys
// "Channel 2". The channel commands flip their flag and tell the viewer both.
TEST_F(NavigatorMenusTest, FileMenuDeviceAudioAndChannelCommands)
{
    const auto videos = Open(QStringLiteral("c"), Small()).front();
    Device* device = videos[0]->GetCamera()->GetDevice();
    EXPECT_EQ(Texts(Menus::ForFile(videos[0], false, false).entries), QStringList{"Release"});
    device->SetCapability(9, 1);
    Menus::Menu menu = Menus::ForFile(videos[0], true, true);
    EXPECT_EQ(menu.id, Menus::FileMenuWithAudio);
    ASSERT_EQ(menu.entries.size(), 2u);
    EXPECT_EQ(Submenu(menu, QStringLiteral("Device Audio")), (QStringList{"Channel 1", "Channel 2"}));
    const auto& channels = menu.entries[0].submenu;
    EXPECT_TRUE(channels[0].checked);
    EXPECT_TRUE(channels[1].checked && channels[1].enabled);
    device->SetCapability(10, 1);
    menu = Menus::ForFile(videos[0], false, true);
    EXPECT_FALSE(menu.entries[0].submenu[1].enabled);
    EXPECT_FALSE(menu.entries[0].submenu[1].checked);

    // Listing a capability-10 file sets channel 1 and clears channel 2.
    CVideoFileSelector selector;
    selector.SetEvents([this]() -> IPlomeraViewEvents* { return &coordinator; });
    selector.AddCamerasToTreeView(videos, 0);
    VideoFileTree& items = selector.TreeForm()->Items();
    EXPECT_TRUE(items.channel1);
    EXPECT_FALSE(items.channel2);
    selector.TreeForm()->RunCommand(Menus::DeviceAudioChannel2);
    selector.TreeForm()->RunCommand(Menus::DeviceAudioChannel1);
    ASSERT_EQ(viewer.deliveries.size(), 2u);
    EXPECT_EQ(viewer.deliveries[0].message, ViewerMessages::UpdateDeviceLevelAudio);
    EXPECT_EQ(viewer.deliveries[0].w + viewer.deliveries[0].l, "11");
    EXPECT_EQ(viewer.deliveries[1].w + viewer.deliveries[1].l, "01");
    // The menu the widget builds shows the same table.
    selector.Tree()->setCurrentItem(selector.TreeForm()->Root()->child(0));
    std::unique_ptr<QMenu> shown(selector.TreeForm()->MakeMenu(nullptr));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->property("menuId").toInt(), Menus::FileMenuWithAudio);
    EXPECT_EQ(shown->actions().size(), 2);
}

// Each dewarp command sends its view text exactly; "Panorama View" sends nothing. The audio
// commands set the audio byte, raise their event and clear the channel flags.
TEST_F(NavigatorMenusTest, CameraCommandsRaiseTheirEvents)
{
    const auto videos = Open(QStringLiteral("d"), Small()).front();
    Name(videos[0], QStringLiteral("camera"));
    CVideoFileSelector selector;
    selector.SetEvents([this]() -> IPlomeraViewEvents* { return &coordinator; });
    selector.AddCamerasToTreeView(videos, 0);
    selector.Tree()->setCurrentItem(selector.TreeForm()->Root()->child(0)->child(0));
    viewer.deliveries.clear();

    const std::pair<int, const char*> sent[] = {
        {32838, "PTZ"}, {32839, "Panaromic 180"}, {32840, "Panaromic 360"},
        {32843, "Panorama360+Ptz"}, {32844, "Panorama360+3Ptz"}, {32845, "Panorama360+6Ptz"},
        {32846, "Panorama360+8Ptz"}, {32847, "Panorama2Ptz"}, {32848, "Panorama4Ptz"},
        {32849, "Fishye3Ptz"}, {32850, "Fishye8Ptz"}, {32851, "Panorama+3Ptz"},
        {32852, "Panorama+8Ptz"}, {32856, "Panorama180"}, {32857, "Panorama360"},
    };
    for (const auto& [command, text] : sent) {
        selector.TreeForm()->RunCommand(command);
    }
    selector.TreeForm()->RunCommand(Menus::PanoramaView);
    ASSERT_EQ(viewer.deliveries.size(), std::size(sent));
    for (size_t i = 0; i < std::size(sent); ++i) {
        EXPECT_EQ(viewer.deliveries[i].message, ViewerMessages::OpenDewarpView);
        EXPECT_EQ(viewer.deliveries[i].w, "camera");
        EXPECT_EQ(viewer.deliveries[i].l, QStringLiteral("\"%1\"").arg(QString::fromLatin1(sent[i].second)));
    }

    viewer.deliveries.clear();
    VideoFileTree& items = selector.TreeForm()->Items();
    items.channel1 = items.channel2 = true;
    selector.TreeForm()->RunCommand(Menus::EnableAudio);
    EXPECT_EQ(videos[0]->audioOn, 1);
    EXPECT_FALSE(items.channel1 || items.channel2);
    selector.TreeForm()->RunCommand(Menus::DisableAudio);
    EXPECT_EQ(videos[0]->audioOn, 0);
    selector.TreeForm()->RunCommand(Menus::Watermark);
    selector.TreeForm()->RunCommand(Menus::PlayVideoFile);
    ASSERT_EQ(viewer.deliveries.size(), 4u);
    EXPECT_EQ(viewer.deliveries[0].message, ViewerMessages::EnableCameraAudio);
    EXPECT_EQ(viewer.deliveries[1].message, ViewerMessages::DisableCameraAudio);
    EXPECT_EQ(viewer.deliveries[2].message, ViewerMessages::ShowWatermark);
    EXPECT_EQ(viewer.deliveries[3].message, ViewerMessages::PlaySelectedVideoFile);
}
