#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class CommandOutput;
struct ToolCommand;

// The tool's commands in the order its help lists them, and the words that come before any
// command: --help, --version, help [COMMAND]. A missing or unknown command is a mistake (exit 64).
class CommandTable {
public:
    explicit CommandTable(std::vector<const ToolCommand*> commands);

    // words: the arguments after the program name.
    int Run(const QStringList& words, CommandOutput& io) const;
    QString HelpText() const;
    const ToolCommand* Find(const QString& name) const;

    // "plomera-evidence X.Y.Z", the project's version, which the player's version block carries.
    static QString VersionLine();

private:
    std::vector<const ToolCommand*> commands_;
};
