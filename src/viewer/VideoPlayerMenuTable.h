#pragma once

#include "evidence/Video.h"

#include <QString>
#include <vector>

// The tile's context menu as a table: which menu a camera gets, its items in order, and what
// each command asks of the grid. Built from the camera's audio byte, its file's mounting and
// fisheye kind, and whether the tile shows a dewarp view; the widget only turns it into a popup.
class VideoPlayerMenuTable {
public:
    struct Item {
        int command = 0;  // 0: a separator line
        QString text;
        int picture = 0;  // picture resource shown beside the text, 0 for none
        bool operator==(const Item&) const = default;
    };

    // What a command asks for: a message to the grid and, for 1209, the view name.
    struct Action {
        int message = 0;  // 0: not a command of this menu
        QString viewName;
        // The camera's audio byte becomes this before the message goes (-1: unchanged).
        int audio = -1;
    };

    static constexpr const char* DewarpSubmenuText = "Dewarp View";

    // Whether a tile of this camera opens a menu at all: not for a device with capability byte 10,
    // and only while the camera plays at normal speed.
    static bool Allowed(const Video& video);

    // The menu of this camera; dewarpTile: the tile shows a dewarp view.
    static VideoPlayerMenuTable For(const Video& video, bool dewarpTile);
    static VideoPlayerMenuTable For(bool audioOn, const QString& mountType, bool fullDewarp, bool secondKind,
                                    bool dewarpTile);

    static Action ActionOf(int command);

    int Resource() const { return resource_; }
    // The items before the sub-menu (the audio item, "Watermark").
    const std::vector<Item>& Items() const { return items_; }
    // The "Dewarp View" sub-menu; none when it was removed.
    bool HasDewarpSubmenu() const { return !dewarp_.empty(); }
    const std::vector<Item>& DewarpItems() const { return dewarp_; }

private:
    int resource_ = 0;
    std::vector<Item> items_;
    std::vector<Item> dewarp_;
};
