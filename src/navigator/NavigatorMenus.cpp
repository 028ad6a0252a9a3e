#include "navigator/NavigatorMenus.h"

#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/Video.h"

namespace {

struct DewarpCommand {
    int command;
    const char* menuText;
    const char* viewText;
};

// The view texts are the keys the dewarp request understands; their spelling is part of it.
constexpr DewarpCommand kDewarp[] = {
    {32838, "Ptz", "PTZ"},
    {32839, "Panoramic 180", "Panaromic 180"},
    {32840, "Panoramic 360", "Panaromic 360"},
    {32843, "360 Panorama+PTZ", "Panorama360+Ptz"},
    {32844, "360 Panorama+3PTZ", "Panorama360+3Ptz"},
    {32845, "360 Panorama+6PTZ", "Panorama360+6Ptz"},
    {32846, "360 Panorama+8PTZ", "Panorama360+8Ptz"},
    {32847, "2PTZ", "Panorama2Ptz"},
    {32848, "4PTZ", "Panorama4Ptz"},
    {32849, "360 Degree+3 PTZ", "Fishye3Ptz"},
    {32850, "360 Degree+8 PTZ", "Fishye8Ptz"},
    {32851, "Panorama+3 PTZ", "Panorama+3Ptz"},
    {32852, "Panorama+8 PTZ", "Panorama+8Ptz"},
    {32856, "180 Panorama View", "Panorama180"},
    {32857, "360 Panorama View", "Panorama360"},
};

NavigatorMenus::Entry Item(int command, const char* text)
{
    NavigatorMenus::Entry e;
    e.command = command;
    e.text = QString::fromLatin1(text);
    return e;
}

NavigatorMenus::Entry Dewarp(int command)
{
    for (const DewarpCommand& d : kDewarp) {
        if (d.command == command) {
            return Item(command, d.menuText);
        }
    }
    return Item(command, "");
}

NavigatorMenus::Entry Separator()
{
    return Item(NavigatorMenus::DewarpSeparator, "-------------------");
}

// The "Dewarp View" submenu of each camera menu family, before pruning.
std::vector<NavigatorMenus::Entry> DewarpItems(int menuId)
{
    std::vector<NavigatorMenus::Entry> items{Dewarp(32838), Dewarp(32839), Dewarp(32840), Separator()};
    switch (menuId) {
    case NavigatorMenus::WallAudioOn:
    case NavigatorMenus::WallAudioOff:
        items.push_back(Item(NavigatorMenus::PanoramaView, "Panorama View"));
        for (int c : {32851, 32852, 32848, 32849, 32850}) items.push_back(Dewarp(c));
        break;
    default: {
        const bool desktop = menuId == NavigatorMenus::DesktopAudioOn || menuId == NavigatorMenus::DesktopAudioOff;
        for (int c : {32856, 32857, 32843, 32844, 32845, 32846, 32847, 32848, 32849, 32850}) {
            if (!(desktop && c == 32847)) items.push_back(Dewarp(c));
        }
        break;
    }
    }
    return items;
}

const Device* DeviceOf(const Video* video)
{
    return video != nullptr && video->GetCamera() != nullptr ? video->GetCamera()->GetDevice() : nullptr;
}

bool Capability(const Video* video, int n)
{
    const Device* device = DeviceOf(video);
    return device != nullptr && device->GetCapability(n) != 0;
}

} // namespace

NavigatorMenus::Menu NavigatorMenus::ForRoot()
{
    return Menu{RootMenu, QStringLiteral("Navigator"), {Item(OpenVideoFile, "Open Video File"), Item(ReleaseFiles, "Release Files")}};
}

NavigatorMenus::Menu NavigatorMenus::ForFile(const Video* first, bool channel1, bool channel2)
{
    if (!Capability(first, 9)) {
        return Menu{FileMenu, QStringLiteral("Video File"), {Item(ReleaseFile, "Release")}};
    }
    Entry one = Item(DeviceAudioChannel1, "Channel 1");
    one.checkable = true;
    one.checked = channel1;
    Entry two = Item(DeviceAudioChannel2, "Channel 2");
    two.checkable = true;
    if (Capability(first, 10)) {
        two.enabled = false;
    } else {
        two.checked = channel2;
    }
    Entry audio;
    audio.text = QStringLiteral("Device Audio");
    audio.submenu = {one, two};
    return Menu{FileMenuWithAudio, QStringLiteral("Video File"), {audio, Item(ReleaseFile, "Release")}};
}

int NavigatorMenus::CameraMenuId(const QString& mountType, bool audioOn)
{
    // The tag's text keeps its NUL padding; the comparison ends at the first NUL.
    const QString type = mountType.left(mountType.indexOf(QChar(0)));
    if (type == QLatin1String("Desktop")) {
        return audioOn ? DesktopAudioOn : DesktopAudioOff;
    }
    if (type == QLatin1String("Wall")) {
        return audioOn ? WallAudioOn : WallAudioOff;
    }
    return audioOn ? CeilingAudioOn : CeilingAudioOff;
}

NavigatorMenus::Menu NavigatorMenus::ForCamera(const Video* video)
{
    if (video == nullptr || Capability(video, 10) || video->playbackState != PlaybackState::Playing) {
        return {};
    }
    const VideoFile* file = video->GetVideoFile();
    const bool audioOn = video->audioOn != 0;
    Menu menu;
    menu.id = CameraMenuId(file != nullptr ? file->mountType : QString(), audioOn);
    menu.title = QStringLiteral("Camera");
    menu.entries.push_back(audioOn ? Item(DisableAudio, "Disable Audio") : Item(EnableAudio, "Enable Audio"));
    menu.entries.push_back(Item(Watermark, "Watermark"));

    std::vector<Entry> dewarp = DewarpItems(menu.id);
    bool keepSubmenu = true;
    if (file != nullptr && file->fisheyeFullDewarp) {
        std::erase_if(dewarp, [](const Entry& e) { return e.command != 32838 && e.command != 32839 && e.command != 32840; });
    } else if (file == nullptr || !file->fisheyeSecondKind) {
        keepSubmenu = false;
    }
    // A dewarp view offers no further views of itself.
    if (video->dewarpView != 0) {
        keepSubmenu = false;
    }
    if (keepSubmenu) {
        Entry sub;
        sub.text = QStringLiteral("Dewarp View");
        sub.submenu = std::move(dewarp);
        menu.entries.push_back(std::move(sub));
    }
    return menu;
}

QString NavigatorMenus::ViewText(int command)
{
    for (const DewarpCommand& d : kDewarp) {
        if (d.command == command) {
            return QString::fromLatin1(d.viewText);
        }
    }
    return {};
}
