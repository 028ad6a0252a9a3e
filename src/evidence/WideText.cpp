#include "evidence/WideText.h"

#include <cwctype>

bool WideText::IsSpace(QChar c)
{
    return std::iswspace(static_cast<wint_t>(c.unicode())) != 0;
}

void WideText::TrimRight(QString& text)
{
    qsizetype last = -1;
    qsizetype i = 0;
    for (; i < text.size() && text.at(i) != QChar(0); ++i) {
        if (IsSpace(text.at(i))) {
            if (last < 0) {
                last = i;
            }
        } else {
            last = -1;
        }
    }
    if (last >= 0) {
        text.truncate(last);
    }
}

void WideText::TrimLeft(QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) != QChar(0) && IsSpace(text.at(first))) {
        ++first;
    }
    if (first > 0) {
        text.remove(0, first);
    }
}

void WideText::Trim(QString& text)
{
    TrimRight(text);
    TrimLeft(text);
}

QString WideText::UpToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}
