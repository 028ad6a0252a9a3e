#include "tools/TimeArgument.h"

#include "evidence/EvidenceTime.h"

#include <QDate>
#include <QRegularExpression>

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// 0001-01-01 00:00:00 and 9999-12-31 23:59:59 UTC.
constexpr qint64 kLowest = -62135596800;
constexpr qint64 kHighest = 253402300799;

bool ValidFields(const CalendarFields& f)
{
    return f.year >= 1 && f.year <= 9999 && QDate::isValid(f.year, f.month, f.day) && f.hour <= 23 && f.minute <= 59
        && f.second <= 59;
}

// The zone suffix in seconds east of UTC; nullopt when it is not one.
std::optional<qint64> ZoneOffset(const QString& zone)
{
    if (zone == QLatin1String("Z")) {
        return 0;
    }
    static const QRegularExpression offset(QStringLiteral("^([+-])(\\d{2})(?::?(\\d{2}))?$"));
    const auto m = offset.match(zone);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const int hours = m.captured(2).toInt();
    const int minutes = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    const qint64 seconds = hours * 3600 + minutes * 60;
    return m.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

} // namespace

std::optional<qint64> TimeArgument::Parse(const QString& text)
{
    static const QRegularExpression calendar(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})([ T])(\\d{2}):(\\d{2}):(\\d{2})(.*)$"));
    static const QRegularExpression epoch(QStringLiteral("^-?\\d{1,12}$"));
    if (epoch.match(text).hasMatch()) {
        const qint64 value = text.toLongLong();
        if (value < kLowest || value > kHighest) {
            return std::nullopt;
        }
        return value;
    }
    const auto m = calendar.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    CalendarFields f;
    f.year = m.captured(1).toInt();
    f.month = m.captured(2).toInt();
    f.day = m.captured(3).toInt();
    f.hour = m.captured(5).toInt();
    f.minute = m.captured(6).toInt();
    f.second = m.captured(7).toInt();
    if (!ValidFields(f)) {
        return std::nullopt;
    }
    const QString zone = m.captured(8);
    if (zone.isEmpty()) {
        const qint64 time = EvidenceTime::FromLocalFields(f);
        // The C library moves a time inside a clock change; such a time was never shown by a clock.
        CalendarFields back;
        if (!EvidenceTime::ToLocalFields(time, back) || back.year != f.year || back.month != f.month
            || back.day != f.day || back.hour != f.hour || back.minute != f.minute || back.second != f.second) {
            return std::nullopt;
        }
        return time;
    }
    const std::optional<qint64> offset = ZoneOffset(zone);
    if (m.captured(4) != QLatin1String("T") || !offset) {
        return std::nullopt;
    }
    const qint64 days = EvidenceTime::DaysFromCivil(f.year, f.month, f.day);
    return days * kSecondsPerDay + f.hour * 3600 + f.minute * 60 + f.second - *offset;
}

QString TimeArgument::FormatLocal(qint64 time)
{
    CalendarFields f;
    if (!EvidenceTime::ToLocalFields(time, f)) {
        return QStringLiteral("?");
    }
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second);
}
