#include "viewer/FullScreenBars.h"

FullScreenBars::Placement FullScreenBars::For(const QRect& viewer, int barHeight, int captionHeight,
                                              int navigatorWidth, const QPoint& point, bool popupOpen)
{
    Placement p;
    p.bar = QRect(viewer.left(), viewer.bottom() + 1 - barHeight, viewer.width(), barHeight);
    p.caption = QRect(viewer.left(), viewer.top(), viewer.width(), captionHeight);
    p.navigator = QRect(viewer.left(), viewer.top(), navigatorWidth, viewer.height());
    p.showBar = p.bar.contains(point);
    if (!popupOpen) {
        p.showCaption = p.caption.contains(point);
        p.showNavigator = p.navigator.contains(point);
    }
    return p;
}
