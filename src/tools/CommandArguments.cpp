#include "tools/CommandArguments.h"

#include "tools/TimeArgument.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

UsageError::UsageError(const QString& text) : text_(text), utf8_(text.toUtf8()) {}

CommandArguments CommandArguments::Parse(const QStringList& words, const std::vector<OptionSpec>& options)
{
    CommandArguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (optionsEnded || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-'))) {
            parsed.positional_ << word;
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            parsed.help_ = true;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        const auto keep = [&](const QString& value) {
            parsed.values_[name] = value;
            parsed.all_[name] << value;
        };
        const auto spec = std::find_if(options.begin(), options.end(), [&](const OptionSpec& o) { return o.name == name; });
        if (spec == options.end()) {
            throw UsageError(QStringLiteral("unknown option '%1'").arg(name));
        }
        if (!spec->TakesValue()) {
            if (equals >= 0) {
                throw UsageError(QStringLiteral("option '%1' takes no value").arg(name));
            }
            keep(QString());
        } else if (equals >= 0) {
            keep(word.mid(equals + 1));
        } else if (i + 1 < words.size()) {
            keep(words[++i]);
        } else {
            throw UsageError(QStringLiteral("option '%1' needs a value (%2)").arg(name, spec->valueName));
        }
    }
    return parsed;
}

QString CommandArguments::Value(const QString& option, const QString& fallback) const
{
    const auto it = values_.find(option);
    return it == values_.end() ? fallback : it->second;
}

QStringList CommandArguments::All(const QString& option) const
{
    const auto it = all_.find(option);
    return it == all_.end() ? QStringList() : it->second;
}

QString CommandArguments::Required(const QString& option) const
{
    const auto it = values_.find(option);
    if (it == values_.end()) {
        throw UsageError(QStringLiteral("option '%1' is needed").arg(option));
    }
    return it->second;
}

std::optional<qint64> CommandArguments::Time(const QString& option) const
{
    if (!Has(option)) {
        return std::nullopt;
    }
    const QString text = Value(option);
    const std::optional<qint64> time = TimeArgument::Parse(text);
    if (!time) {
        throw UsageError(QStringLiteral("bad time '%1' for %2 (%3)").arg(text, option, TimeArgument::kFormsShort));
    }
    return time;
}

std::optional<qint64> CommandArguments::Integer(const QString& option, qint64 low, qint64 high) const
{
    if (!Has(option)) {
        return std::nullopt;
    }
    return ParseInteger(Value(option), low, high, option);
}

std::optional<double> CommandArguments::Number(const QString& option, double low, double high) const
{
    if (!Has(option)) {
        return std::nullopt;
    }
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    const QString text = Value(option);
    const double value = text.toDouble();
    if (!decimal.match(text).hasMatch() || !std::isfinite(value) || value < low || value > high) {
        throw UsageError(QStringLiteral("bad number '%1' for %2 (%3 to %4)").arg(text, option).arg(low).arg(high));
    }
    return value;
}

qint64 CommandArguments::ParseInteger(const QString& text, qint64 low, qint64 high, const QString& what)
{
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]+$"));
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!whole.match(text).hasMatch() || !ok || value < low || value > high) {
        throw UsageError(QStringLiteral("bad number '%1' for %2 (%3 to %4)").arg(text, what).arg(low).arg(high));
    }
    return value;
}

void CommandArguments::ExpectPositional(qsizetype low, qsizetype high, const QString& what) const
{
    if (positional_.size() < low) {
        throw UsageError(QStringLiteral("missing %1").arg(what));
    }
    if (positional_.size() > high) {
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(positional_.at(high)));
    }
}

void CommandArguments::AllowOnly(const QString& action, std::initializer_list<const char*> options) const
{
    for (const auto& [name, value] : values_) {
        if (std::none_of(options.begin(), options.end(), [&](const char* o) { return name == QLatin1String(o); })) {
            throw UsageError(QStringLiteral("%1 takes no option '%2'").arg(action, name));
        }
    }
}
