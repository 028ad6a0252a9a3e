#pragma once

#include <QString>

// Trimming with the semantics of the recorders' own string class: the right trim only looks at
// the text before the first NUL (and cuts everything after it when that text ends in white
// space); the left trim drops leading white space and keeps the rest, NULs included.
// White space is the C library's wide-character space test.
class WideText {
public:
    static bool IsSpace(QChar c);
    static void TrimRight(QString& text);
    static void TrimLeft(QString& text);
    static void Trim(QString& text);
    // The text up to its first NUL.
    static QString UpToNul(const QString& text);
};
