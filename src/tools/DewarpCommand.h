#pragma once

struct ToolCommand;

// `plomera-evidence dewarp FILE --mode fisheye|ptz|180|360|wall [--pos X,Y] [--zoom Z]
// [--offset O] [--size WxH] [--seek TIME] --out PNG [--json]`: one dewarp view of the file's
// fisheye camera, rendered through the same facade, driver and library as the player's view
// tiles, written as a picture. The file is only read.
class DewarpCommand {
public:
    static const ToolCommand& Command();
};
