#pragma once

struct ToolCommand;

// `plomera-evidence custody FILE [--report OUT] [--camera NAME] [--json]`: the custody digests
// and report of an evidence file, the same as the player's file information shows and saves.
// Exit 0 when the digests were computed, 2 when the file cannot be read or the report cannot be
// written, 64 for a mistake on the command line.
class CustodyCommand {
public:
    static const ToolCommand& Command();
};
