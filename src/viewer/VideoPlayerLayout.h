#pragma once

#include <QRect>
#include <QSize>

// Where a tile's parts go: the caption strip across the top at its own height, the status strip
// across the bottom, the picture container between them, or over the whole tile while the
// strips are hidden (overlay).
struct VideoPlayerLayout {
    QRect caption;
    QRect container;
    QRect status;

    static VideoPlayerLayout Of(const QSize& client, int captionHeight, int statusHeight, bool overlay);
};
