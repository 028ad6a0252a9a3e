#pragma once

#include <QString>
#include <vector>

class Video;

// The navigator's context menus, built as plain tables from the item's evidence so that what a
// right click offers can be checked without a window. The tree form turns a table into a QMenu
// and carries the chosen command out.
class NavigatorMenus {
public:
    enum Command : int {
        OpenVideoFile = 32781,
        ReleaseFiles = 32782,
        PlayVideoFile = 32783,  // carried by no menu
        DisableAudio = 32784,
        EnableAudio = 32785,
        ReleaseFile = 32789,
        DeviceAudioChannel1 = 32827,
        DeviceAudioChannel2 = 32828,
        DewarpSeparator = 32859,
        PanoramaView = 32855,  // listed, does nothing
        Watermark = 32860,
    };
    enum MenuId : int {
        RootMenu = 363,
        FileMenuWithAudio = 364,
        FileMenu = 368,
        CeilingAudioOn = 32786,
        CeilingAudioOff = 32787,
        DesktopAudioOff = 32851,
        WallAudioOn = 32852,
        DesktopAudioOn = 32853,
        WallAudioOff = 32854,
    };

    struct Entry {
        int command = 0;  // 0: a submenu
        QString text;
        bool checked = false;
        bool checkable = false;
        bool enabled = true;
        std::vector<Entry> submenu;
    };
    struct Menu {
        int id = 0;  // 0: no menu
        QString title;
        std::vector<Entry> entries;
    };

    static Menu ForRoot();
    // first: the file's first video.
    static Menu ForFile(const Video* first, bool channel1, bool channel2);
    // None (id 0) unless the camera is playing, and none for a device with capability byte 10.
    static Menu ForCamera(const Video* video);

    // The view name a dewarp command sends; empty for any other command (32855 included).
    static QString ViewText(int command);
    // The camera menu of a mount type and audio byte; the mount type matches exactly, up to its
    // first NUL (the tag's text is padded with them).
    static int CameraMenuId(const QString& mountType, bool audioOn);
};
