// plomera-evidence: the command-line companion of the player, on the same evidence code.
//
// How a command is written, so that they all behave alike for scripts:
// - One class per command (XCommand.h/.cpp) whose Command() returns a ToolCommand: name, a
//   one-line summary, usage lines, the help text (what it does, options, output, exit codes) and
//   the table of its options. Add it to the table below and to README's table of commands.
// - Options are parsed by CommandArguments against that table, before the body runs: "--help"
//   and "-h" print the help and exit 0; every mistake (unknown command or option, missing
//   argument, bad time, bad number) is a UsageError thrown with one line naming it, printed
//   with "Try 'plomera-evidence --help'." on standard error, exit 64. The body checks all its
//   arguments before it reads or writes any file, so a mistake never prints data.
// - Data goes to standard output, messages to standard error, both through CommandOutput; Qt's
//   own warnings go to the log (LogFlags), never to the terminal.
// - --json, for every command that reports: one JSON object per run, written by
//   CommandOutput::Json, keys in camelCase as `info` has them, times as epoch seconds.
// - Times: CommandArguments::Time (TimeArgument): local "YYYY-MM-DD HH:MM:SS", ISO 8601 with a
//   zone, epoch seconds; help texts quote TimeArgument::kFormsHelp.
// - Long work: ProgressCounter, a one-line counter on standard error drawn only on a terminal;
//   the command takes --quiet to silence it.
// - Exit codes: 0 done, 64 a mistake, each command's own failures in between (1, 2, ...), listed
//   in its help and in README.
// - The application object is a QCoreApplication unless the command needs more (MakeApplication):
//   chosen from the words before it exists, since Qt allows only one.
#include "logging/Logger.h"
#include "tools/BookmarksCommand.h"
#include "tools/CommandOutput.h"
#include "tools/CommandTable.h"
#include "tools/CustodyCommand.h"
#include "tools/EvidenceInfoCommand.h"
#include "tools/MapCommand.h"
#include "tools/PackageCommand.h"
#include "tools/DewarpCommand.h"
#include "tools/MetadataCommand.h"
#include "tools/PlayCommand.h"
#include "tools/WatermarkCommand.h"
#include "tools/TilesCommand.h"

#if defined(PLOMERA_HAVE_SAMPLE) && __has_include("tools/sample/MakeSampleCommand.h")
#include "tools/sample/MakeSampleCommand.h"
#include "tools/sample/StampCommand.h"
#define PLOMERA_MAKE_SAMPLE 1
#endif

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// The framework's notices (a missing runtime folder, plugin chatter) are not the tool's output:
// they go to the log. Only a critical or fatal message, which ends the run, reaches the terminal.
void FrameworkMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "plomera-evidence: %s\n", text.toLocal8Bit().constData());
        return;
    }
    if (type == QtWarningMsg) {
        Logger::GetInstance()->Error(text);
    } else {
        Logger::GetInstance()->Info(text);
    }
}

// The map is a widget; the loopback tile server draws its tiles' text with the platform's fonts.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    const auto is = [&](int i, const char* word) { return argc > i && std::strcmp(argv[i], word) == 0; };
    if (is(1, "map")) {
        MapCommand::PreparePlatform();
        return std::make_unique<QApplication>(argc, argv);
    }
    const auto serves = [&] {
        for (int i = 2; i < argc; ++i) {
            if (is(i, "serve")) {
                return true;
            }
        }
        return false;
    };
    if (is(1, "tiles") && serves()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(&FrameworkMessage);
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    const CommandTable commands({
        &EvidenceInfoCommand::Command(),
        &BookmarksCommand::Command(),
        &PlayCommand::Command(),
        &DewarpCommand::Command(),
        &CustodyCommand::Command(),
        &MetadataCommand::Command(),
        &WatermarkCommand::Command(),
#ifdef PLOMERA_MAKE_SAMPLE
        &MakeSampleCommand::Command(),
        &StampCommand::Command(),
#endif
        &PackageCommand::Command(),
        &TilesCommand::Command(),
        &MapCommand::Command(),
    });

    QTextStream out(stdout);
    QTextStream err(stderr);
    CommandOutput io(out, err, ::isatty(STDERR_FILENO) == 1);
    return commands.Run(QCoreApplication::arguments().mid(1), io);
}
