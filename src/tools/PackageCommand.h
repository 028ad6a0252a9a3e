#pragma once

#include <QStringList>

class QTextStream;

// `plomera-evidence package`: first packages from plain video files, and a look into packages,
// through the same reader, extraction and writer as the player.
//   package create OUT FILE... [--password P] [--kind 1|2] [--player PATH]
//   package list PKG
//   package extract PKG DIR [--password P]
// The player defaults to `plomera` beside this tool (or in the build tree's app folder).
// Exit codes: 0 done, 1 not a package, refused or failed, 2 bad arguments.
class PackageCommand {
public:
    static int Run(const QStringList& args);
    static int Run(const QStringList& args, QTextStream& out, QTextStream& err);
};
