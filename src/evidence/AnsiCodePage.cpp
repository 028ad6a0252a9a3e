#include "evidence/AnsiCodePage.h"

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes map to the C1 control of the same value.
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t ByteToUnit(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) {
        return kHighControls[b - 0x80];
    }
    return b;
}

} // namespace

QString AnsiCodePage::ToWide(const char* bytes, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        dst[i] = QChar(ByteToUnit(static_cast<unsigned char>(bytes[i])));
    }
    return out;
}

QString AnsiCodePage::ToWide(const QByteArray& bytes)
{
    return ToWide(bytes.constData(), bytes.size());
}

char AnsiCodePage::FromWideChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<char>(u);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == u) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

QByteArray AnsiCodePage::FromWide(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out[i] = FromWideChar(text.at(i));
    }
    return out;
}
