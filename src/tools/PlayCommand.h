#pragma once

struct ToolCommand;

// `plomera-evidence play FILE [--seek TIME] [--snapshot OUT.png] [--library PATH] [--json]`:
// opens the file through the same facade the player uses, plays its cameras into surfaces
// without a window, pauses the first camera (and seeks it to a time), and reports the frame on
// screen, optionally writing its picture. The whole road from tag to decoded frame.
class PlayCommand {
public:
    static const ToolCommand& Command();
};
