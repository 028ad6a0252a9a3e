#pragma once

struct ToolCommand;

// `plomera-evidence make-sample DIR [options]`: sample evidence made by the project itself, for
// tests, benchmarks and the demo.
class MakeSampleCommand {
public:
    static const ToolCommand& Command();
};
