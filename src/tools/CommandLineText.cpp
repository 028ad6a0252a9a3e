#include "tools/CommandLineText.h"

#include "evidence/EvidenceTime.h"

#include <QRegularExpression>
#include <cstdio>

void CommandLineText::Out(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void CommandLineText::Err(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

std::optional<qint64> CommandLineText::ParseTime(const QString& text)
{
    static const QRegularExpression local(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})[ T](\\d{2}):(\\d{2}):(\\d{2})$"));
    static const QRegularExpression epoch(QStringLiteral("^-?\\d+$"));
    const QString t = text.trimmed();
    if (const auto m = local.match(t); m.hasMatch()) {
        CalendarFields f;
        f.year = m.captured(1).toInt();
        f.month = m.captured(2).toInt();
        f.day = m.captured(3).toInt();
        f.hour = m.captured(4).toInt();
        f.minute = m.captured(5).toInt();
        f.second = m.captured(6).toInt();
        if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.hour > 23 || f.minute > 59 || f.second > 60) {
            return std::nullopt;
        }
        return EvidenceTime::FromLocalFields(f);
    }
    if (epoch.match(t).hasMatch()) {
        bool ok = false;
        const qint64 v = t.toLongLong(&ok);
        if (ok) {
            return v;
        }
    }
    return std::nullopt;
}

QString CommandLineText::FormatLocal(qint64 time)
{
    CalendarFields f;
    if (!EvidenceTime::ToLocalFields(time, f)) {
        return QStringLiteral("?");
    }
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second);
}
