#include "viewer/VideoPlayerLayout.h"

#include <algorithm>

VideoPlayerLayout VideoPlayerLayout::Of(const QSize& client, int captionHeight, int statusHeight, bool overlay)
{
    const int w = std::max(0, client.width());
    const int h = std::max(0, client.height());
    VideoPlayerLayout layout;
    layout.caption = QRect(0, 0, w, captionHeight);
    layout.status = QRect(0, h - statusHeight, w, statusHeight);
    if (overlay) {
        layout.container = QRect(0, 0, w, h);
    } else {
        // A tile lower than its strips has a container without area.
        layout.container = QRect(0, captionHeight, w, std::max(0, h - captionHeight - statusHeight));
    }
    return layout;
}
