#pragma once

struct ToolCommand;

// `plomera-evidence tiles fetch|list`: fills and lists a tile cache file through the same cache,
// queue and worker the map uses.
//   tiles fetch --cache FILE [--server URL] [--json] Z X Y [Z X Y ...]
//   tiles list --cache FILE [--json]
class TilesCommand {
public:
    static const ToolCommand& Command();
};
