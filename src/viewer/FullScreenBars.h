#pragma once

#include <QPoint>
#include <QRect>

// Which bars show over the full-screen viewer for a pointer position, and where: the control bar
// along the bottom edge, the caption along the top, the navigator pane along the left edge with
// its own width over the viewer's height. Each shows while the pointer lies in its rectangle.
// All rectangles and the point in screen coordinates.
class FullScreenBars {
public:
    struct Placement {
        bool showBar = false;
        bool showCaption = false;
        bool showNavigator = false;
        QRect bar;
        QRect caption;
        QRect navigator;
    };

    // popupOpen: a pop-up of the viewer is open; caption and navigator then stay as they are
    // (showCaption and showNavigator false, the rectangles still given).
    static Placement For(const QRect& viewer, int barHeight, int captionHeight, int navigatorWidth,
                         const QPoint& point, bool popupOpen);
};
