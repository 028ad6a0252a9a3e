#include "tools/ToolCommand.h"

#include "evidence/FalException.h"
#include "tools/CommandOutput.h"

#include <QTextStream>

QString ToolCommand::HelpText() const
{
    QString text;
    const QStringList lines = QString::fromUtf8(usage).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        text += (i == 0 ? QStringLiteral("usage: ") : QStringLiteral("       ")) + QStringLiteral("plomera-evidence ")
            + lines[i] + QLatin1Char('\n');
    }
    return text + QLatin1Char('\n') + QString::fromUtf8(help);
}

int ToolCommand::Run(const QStringList& words, CommandOutput& io) const
{
    io.SetCommand(QString::fromUtf8(name));
    int status = ExitCode::kOk;
    try {
        const CommandArguments args = CommandArguments::Parse(words, options);
        if (args.HelpAsked()) {
            io.Out() << HelpText();
        } else {
            status = body(args, io);
        }
    } catch (const UsageError& e) {
        io.Mistake(e.Text());
        status = ExitCode::kUsage;
    } catch (const FalException& e) {
        // Bodies report their own failures; this is the net under them.
        io.Message(e.Message());
        status = 1;
    } catch (const std::exception& e) {
        io.Message(QString::fromUtf8(e.what()));
        status = 1;
    }
    io.Out().flush();
    return status;
}

int ToolCommand::Run(const QStringList& words, QTextStream& out, QTextStream& err) const
{
    CommandOutput io(out, err);
    return Run(words, io);
}
