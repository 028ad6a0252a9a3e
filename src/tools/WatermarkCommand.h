#pragma once

struct ToolCommand;

// `plomera-evidence watermark FILE [--json]`: every camera's stream of an evidence file through
// the player's watermark checks, without decoding. Exit 0 all verified, 3 a watermark missing,
// 4 one broken (the worst camera counts), 1 nothing could be checked, 2 the file cannot be read.
class WatermarkCommand {
public:
    static const ToolCommand& Command();
};
