#pragma once

#include <QStringList>

class QTextStream;

// `plomera-evidence map`: the map control alone, on a tile cache, with markers and polylines.
//   map [--cache FILE] [--server URL] [--center LON,LAT] [--zoom Z] [--rotation DEG]
//       [--units metric|imperial] [--size WxH] [--marker LON,LAT]... [--polyline "LON,LAT;..."]...
//       [--draw-style N] [--offline] [--screenshot OUT.png] [--wait S]
// With --screenshot it waits until the view's tiles are cached (at most S seconds, default 30),
// saves the control's picture and exits; without, it shows the map and prints
// "SeekToMapPoint LAT LON" for each double-click and "view ZOOM LON LAT" after each change.
// Exit codes: 0 done, 1 the cache or the picture could not be written, 2 bad arguments.
// Needs a QApplication.
class MapCommand {
public:
    static int Run(const QStringList& args);
    static int Run(const QStringList& args, QTextStream& out, QTextStream& err);

    // Before the application object exists: without a display, a screenshot is taken on the
    // offscreen platform; a shown map has nowhere to go (false, with the reason).
    static bool PreparePlatform(int argc, char** argv, QString* problem);
};
