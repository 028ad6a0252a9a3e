#pragma once

#include <QByteArray>
#include <QString>

// 8-bit texts inside evidence files are in the recorders' ANSI code page, Windows-1252.
// Every byte maps to exactly one UTF-16 code unit, so fixed-width fields keep their widths.
class AnsiCodePage {
public:
    static QString ToWide(const QByteArray& bytes);
    static QString ToWide(const char* bytes, qsizetype size);
    // Characters with no Windows-1252 byte become '?', as the platform's converter does.
    static QByteArray FromWide(const QString& text);
    static char FromWideChar(QChar c);
};
