#pragma once

#include <QString>

class Video;

// The record behind a navigator item, and the open request of OpenVideoPlayer: a whole file or
// one of its cameras. The Video is referenced, not owned.
struct NavigatorItem {
    enum Kind : int { File = 0, Camera = 1 };

    int kind = File;
    QString path;  // the file's full path
    Video* video = nullptr;  // a file item: the file's first video; a camera item: that camera's
};
