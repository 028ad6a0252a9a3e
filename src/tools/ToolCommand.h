#pragma once

#include "tools/CommandArguments.h"

#include <QString>
#include <QStringList>

#include <vector>

class CommandOutput;
class QTextStream;

// One command of plomera-evidence, declared as data: each XCommand class gives one of these from
// its Command() and keeps its work in the body. Run is the same road for the tool and for tests:
// "--help" prints HelpText() and exits 0, a UsageError from parsing or from the body prints its
// line with "Try 'plomera-evidence --help'." and exits 64, anything else is the body's exit code.
struct ToolCommand {
    using Body = int (*)(const CommandArguments& args, CommandOutput& io);

    const char* name;    // "bookmarks"
    const char* summary; // one line for the tool's --help
    const char* usage;   // usage lines without the program name, one per line
    const char* help;    // the rest of COMMAND --help: what it does, options, output, exit codes
    std::vector<OptionSpec> options;
    Body body;

    QString HelpText() const;
    int Run(const QStringList& words, CommandOutput& io) const;
    int Run(const QStringList& words, QTextStream& out, QTextStream& err) const;
};
