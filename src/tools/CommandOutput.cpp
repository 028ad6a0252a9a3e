#include "tools/CommandOutput.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

CommandOutput::CommandOutput(QTextStream& out, QTextStream& err, bool errIsTerminal)
    : out_(out), err_(err), errIsTerminal_(errIsTerminal)
{
}

void CommandOutput::Line(const QString& text)
{
    out_ << text << '\n';
}

void CommandOutput::Json(const QJsonObject& value)
{
    out_ << QString::fromUtf8(QJsonDocument(value).toJson(QJsonDocument::Compact)) << Qt::endl;
}

void CommandOutput::Message(const QString& text)
{
    // Data written so far goes out first, so that a terminal shows both in order.
    out_.flush();
    err_ << Prefix() << text << Qt::endl;
}

void CommandOutput::Mistake(const QString& text)
{
    out_.flush();
    err_ << Prefix() << text << ". Try 'plomera-evidence --help'." << Qt::endl;
}

QString CommandOutput::Prefix() const
{
    return command_.isEmpty() ? QStringLiteral("plomera-evidence: ")
                              : QStringLiteral("plomera-evidence %1: ").arg(command_);
}
