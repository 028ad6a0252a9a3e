#include "tools/CommandTable.h"

#include "tools/CommandOutput.h"
#include "tools/TimeArgument.h"
#include "tools/ToolCommand.h"

#include <QTextStream>

CommandTable::CommandTable(std::vector<const ToolCommand*> commands) : commands_(std::move(commands)) {}

QString CommandTable::VersionLine()
{
    return QStringLiteral("plomera-evidence " PLOMERA_VERSION);
}

const ToolCommand* CommandTable::Find(const QString& name) const
{
    for (const ToolCommand* command : commands_) {
        if (name == QLatin1String(command->name)) {
            return command;
        }
    }
    return nullptr;
}

QString CommandTable::HelpText() const
{
    QString text = QStringLiteral(
        "usage: plomera-evidence COMMAND ARGUMENTS... [OPTIONS]\n"
        "       plomera-evidence COMMAND --help\n"
        "       plomera-evidence --help | --version\n"
        "\n"
        "The command-line companion of the Plomera player: the same evidence code, for scripts.\n"
        "\n"
        "Commands:\n");
    for (const ToolCommand* command : commands_) {
        text += QStringLiteral("  %1 %2\n").arg(QString::fromUtf8(command->name), -12).arg(QString::fromUtf8(command->summary));
    }
    text += QStringLiteral(
                "\n"
                "Data goes to standard output, messages to standard error. --json, where a command\n"
                "reports, prints one JSON object instead of text. Long work shows a one-line counter\n"
                "on standard error when that is a terminal; --quiet silences it.\n\n")
        + QString::fromUtf8(TimeArgument::kFormsHelp)
        + QStringLiteral(
              "\n\n"
              "Exit codes: 0 done, 64 a mistake in the command line (one line on standard error);\n"
              "each command's --help lists the others it uses.\n");
    return text;
}

int CommandTable::Run(const QStringList& words, CommandOutput& io) const
{
    io.SetCommand({});
    if (words.isEmpty()) {
        io.Mistake(QStringLiteral("no command given"));
        return ExitCode::kUsage;
    }
    const QString& first = words.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")
        || (first == QLatin1String("help") && words.size() == 1)) {
        io.Out() << HelpText();
        io.Out().flush();
        return ExitCode::kOk;
    }
    if (first == QLatin1String("--version")) {
        io.Line(VersionLine());
        io.Out().flush();
        return ExitCode::kOk;
    }
    if (first == QLatin1String("help")) {
        if (const ToolCommand* command = Find(words.at(1)); command && words.size() == 2) {
            return command->Run({QStringLiteral("--help")}, io);
        }
        io.Mistake(QStringLiteral("no command '%1'").arg(words.mid(1).join(QLatin1Char(' '))));
        return ExitCode::kUsage;
    }
    if (first.startsWith(QLatin1Char('-'))) {
        io.Mistake(QStringLiteral("unknown option '%1'").arg(first));
        return ExitCode::kUsage;
    }
    const ToolCommand* command = Find(first);
    if (!command) {
        io.Mistake(QStringLiteral("unknown command '%1'").arg(first));
        return ExitCode::kUsage;
    }
    return command->Run(words.mid(1), io);
}
