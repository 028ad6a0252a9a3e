#pragma once

struct ToolCommand;

// `plomera-evidence tiles fetch|list|serve`: fills and lists a tile cache file through the same
// cache, queue and worker the map uses, and serves made-up tiles on loopback to look at the map.
//   tiles fetch --cache FILE [--server URL] [--json] Z X Y [Z X Y ...]
//   tiles list --cache FILE [--json]
//   tiles serve [--port P]     (needs a QGuiApplication; runs until stopped)
class TilesCommand {
public:
    static const ToolCommand& Command();
};
