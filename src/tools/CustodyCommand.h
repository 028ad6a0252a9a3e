#pragma once

#include <QStringList>

// `plomera-evidence custody FILE [--report OUT] [--camera NAME]`: the custody digests and report
// of an evidence file, the same as the player's file information shows and saves. Prints the
// report; with --report also writes it to OUT (never over an evidence file).
// Exit 0 when the digests were computed, 2 when the file cannot be read or the report cannot be
// written, 64 for a mistake on the command line.
class CustodyCommand {
public:
    static int Run(const QStringList& args);
};
