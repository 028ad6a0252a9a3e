#pragma once

struct ToolCommand;

// `plomera-evidence metadata FILE [--json]`: the vehicle's metadata section of a file (its
// display settings and every sample), read only.
class MetadataCommand {
public:
    static const ToolCommand& Command();
};
