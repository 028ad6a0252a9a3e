#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <exception>
#include <initializer_list>
#include <map>
#include <optional>
#include <vector>

// Exit codes every command shares; a command adds its own between them (1, 2, ...).
namespace ExitCode {
constexpr int kOk = 0;
constexpr int kUsage = 64; // a mistake in the command line, as sysexits' EX_USAGE
} // namespace ExitCode

// A mistake in the command line. Its text is one line naming what was wrong (no full stop); the
// tool prints it with "Try 'plomera-evidence --help'." on standard error and exits 64.
class UsageError : public std::exception {
public:
    explicit UsageError(const QString& text);
    const QString& Text() const { return text_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

// One option of a command: "--time" with the value name "TIME", or a switch ("--json") without.
struct OptionSpec {
    QString name;
    QString valueName;
    bool TakesValue() const { return !valueName.isEmpty(); }
};

// The words after a command's name, parsed against the command's option table. Options may stand
// anywhere between the positional words, as "--name VALUE" or "--name=VALUE"; "--" ends the
// options; "--help" and "-h" ask for the command's help. The last of a repeated option counts,
// except for All, which gives every value of an option that may be given many times.
// Every accessor that finds a mistake throws UsageError naming it.
class CommandArguments {
public:
    static CommandArguments Parse(const QStringList& words, const std::vector<OptionSpec>& options);

    bool HelpAsked() const { return help_; }
    const QStringList& Positional() const { return positional_; }
    bool Has(const QString& option) const { return values_.count(option) != 0; }
    QString Value(const QString& option, const QString& fallback = {}) const;
    // Every value of a repeated option ("--marker A --marker B"), in command-line order; empty
    // when the option is absent.
    QStringList All(const QString& option) const;
    // The value of an option that must be given.
    QString Required(const QString& option) const;

    // Typed values of options; nullopt when the option is absent.
    std::optional<qint64> Time(const QString& option) const;
    std::optional<qint64> Integer(const QString& option, qint64 low, qint64 high) const;
    std::optional<double> Number(const QString& option, double low, double high) const;

    // Positional words: their count must lie in [low, high] (what: "FILE", "Z X Y ...").
    void ExpectPositional(qsizetype low, qsizetype high, const QString& what) const;
    // The options given must all be among these (the ones an action takes).
    void AllowOnly(const QString& action, std::initializer_list<const char*> options) const;

    // Text to number, refusing anything but a whole decimal number in [low, high].
    static qint64 ParseInteger(const QString& text, qint64 low, qint64 high, const QString& what);

private:
    bool help_ = false;
    QStringList positional_;
    std::map<QString, QString> values_; // switches map to an empty value
    std::map<QString, QStringList> all_;
};
