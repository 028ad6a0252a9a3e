#pragma once

#include <QStringList>

class QTextStream;

// `plomera-evidence tiles fetch|list`: fills and lists a tile cache file through the same cache,
// queue and worker the map uses.
//   tiles fetch --cache FILE [--server URL] Z X Y [Z X Y ...]
//   tiles list --cache FILE
// Exit codes: 0 done (every requested tile is in the cache), 1 some tile was not stored,
// 2 bad arguments or an unusable cache file.
class TilesCommand {
public:
    static int Run(const QStringList& args);
    static int Run(const QStringList& args, QTextStream& out, QTextStream& err);
};
