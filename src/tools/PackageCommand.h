#pragma once

struct ToolCommand;

// `plomera-evidence package`: first packages from plain video files, and a look into packages,
// through the same reader, extraction and writer as the player.
//   package create OUT FILE... [--password P] [--kind 1|2] [--player PATH] [--json] [--quiet]
//   package list PKG [--json]
//   package extract PKG DIR [--password P] [--json] [--quiet]
// The player defaults to `plomera` beside this tool (or in the build tree's app folder).
class PackageCommand {
public:
    static const ToolCommand& Command();
};
