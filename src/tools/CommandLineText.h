#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Small text helpers shared by the plomera-evidence commands.
class CommandLineText {
public:
    static void Out(const QString& text);
    static void Err(const QString& text);
    // "YYYY-MM-DD HH:MM:SS" local time, or whole epoch seconds.
    static std::optional<qint64> ParseTime(const QString& text);
    static QString FormatLocal(qint64 time);
};
