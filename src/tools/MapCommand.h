#pragma once

struct ToolCommand;

// `plomera-evidence map`: the map control alone, on a tile cache, with markers and polylines.
// With --screenshot it waits until the view's tiles are cached, saves the control's picture and
// exits; without, it shows the map and prints what a double-click or a move of the view sends.
// Needs a QApplication, which main makes for this command after PreparePlatform.
class MapCommand {
public:
    static const ToolCommand& Command();

    // Before the application object exists: without a display the offscreen platform is taken,
    // so that help, mistakes and screenshots work anywhere; a shown map then refuses to run.
    static void PreparePlatform();
};
