#pragma once

#include <QStringList>

// `plomera-evidence play FILE [--seek "YYYY-MM-DD HH:MM:SS"] [--snapshot OUT.png] [--library PATH]`:
// opens the file through the same facade the player uses, plays its cameras into surfaces
// without a window, optionally pauses and seeks the first camera to a time, and writes the
// picture on screen. The first whole road from tag to decoded frame.
class PlayCommand {
public:
    static int Run(const QStringList& args);
};
