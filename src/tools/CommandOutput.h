#pragma once

#include <QString>

class QJsonObject;
class QTextStream;

// Where a command's words go: data on standard output, messages on standard error, nothing else
// on either. Tests hand in streams on strings.
class CommandOutput {
public:
    CommandOutput(QTextStream& out, QTextStream& err, bool errIsTerminal = false);

    // The command's name, put before each message ("plomera-evidence bookmarks: ...").
    void SetCommand(const QString& name) { command_ = name; }

    // One line of data.
    void Line(const QString& text);
    // The run's one JSON value, compact, on one line; keys in camelCase.
    void Json(const QJsonObject& value);
    // One message line on standard error, after the tool's and the command's name.
    void Message(const QString& text);
    // A mistake in the command line: its line and "Try 'plomera-evidence --help'.".
    void Mistake(const QString& text);

    QTextStream& Out() { return out_; }
    QTextStream& Err() { return err_; }
    // Progress counters are drawn only on a terminal.
    bool ErrIsTerminal() const { return errIsTerminal_; }

private:
    QString Prefix() const;

    QTextStream& out_;
    QTextStream& err_;
    bool errIsTerminal_;
    QString command_;
};
