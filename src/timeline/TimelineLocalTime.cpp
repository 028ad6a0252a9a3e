#include "timeline/TimelineLocalTime.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr qint64 kDay = 86400;

std::tm LocalTm(qint64 time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm out{};
    if (!localtime_r(&t, &out)) {
        out = std::tm{};
        out.tm_mday = 1;
        out.tm_year = 70;
    }
    return out;
}

// The reading taken as if it were UTC: the base the zone's offsets are subtracted from.
qint64 ReadingAsUtc(const TimelineLocalTime::Fields& f)
{
    std::tm t{};
    t.tm_year = f.year - 1900;
    t.tm_mon = f.month - 1;
    t.tm_mday = f.day;
    t.tm_hour = f.hour;
    t.tm_min = f.minute;
    t.tm_sec = f.second;
    return static_cast<qint64>(timegm(&t));
}

long OffsetAt(qint64 time)
{
    return LocalTm(time).tm_gmtoff;
}

bool Reads(qint64 time, const TimelineLocalTime::Fields& f)
{
    const std::tm t = LocalTm(time);
    return t.tm_year == f.year - 1900 && t.tm_mon == f.month - 1 && t.tm_mday == f.day
        && t.tm_hour == f.hour && t.tm_min == f.minute && t.tm_sec == f.second;
}

} // namespace

TimelineLocalTime::Fields TimelineLocalTime::FieldsOf(qint64 time)
{
    const std::tm t = LocalTm(time);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

std::vector<qint64> TimelineLocalTime::InstantsOf(const Fields& fields)
{
    // Zones change their offset at most a few times a year: the offsets a day either side and
    // at the reading itself cover every instant that can read so.
    const qint64 base = ReadingAsUtc(fields);
    std::vector<qint64> found;
    for (qint64 probe : {base - kDay, base, base + kDay}) {
        const qint64 candidate = base - OffsetAt(probe);
        if (Reads(candidate, fields)
            && std::find(found.begin(), found.end(), candidate) == found.end()) {
            found.push_back(candidate);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

qint64 TimelineLocalTime::InstantOf(const Fields& fields)
{
    const std::vector<qint64> instants = InstantsOf(fields);
    if (!instants.empty()) {
        return instants.front();
    }
    // A gap: read with the offset in force before it, the reading lands past the gap by its
    // length.
    const qint64 base = ReadingAsUtc(fields);
    return base - OffsetAt(base - kDay);
}

std::optional<qint64> TimelineLocalTime::GoToTarget(const Fields& chosen, qint64 start, qint64 end)
{
    std::vector<qint64> instants = InstantsOf(chosen);
    if (instants.empty()) {
        instants.push_back(InstantOf(chosen));
    }
    for (qint64 t : instants) {
        if (t >= start && t <= end) {
            return t;
        }
    }
    return std::nullopt;
}

qint64 TimelineLocalTime::MidnightAtOrBefore(qint64 time)
{
    Fields f = FieldsOf(time);
    f.hour = f.minute = f.second = 0;
    qint64 midnight = InstantOf(f);
    // A zone whose clocks skip midnight starts the day later; that is still the day's start.
    if (midnight > time) {
        f = FieldsOf(time - kDay);
        f.hour = f.minute = f.second = 0;
        midnight = InstantOf(f);
    }
    return midnight;
}

qint64 TimelineLocalTime::MidnightDaysBefore(qint64 midnight, int days)
{
    std::tm t = LocalTm(midnight);
    t.tm_mday -= days;
    t.tm_hour = t.tm_min = t.tm_sec = 0;
    t.tm_isdst = -1;
    mktime(&t); // normalises the date
    return InstantOf(Fields{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, 0, 0, 0});
}

qint64 TimelineLocalTime::HourAtOrBefore(qint64 time)
{
    const std::tm t = LocalTm(time);
    return time - t.tm_min * 60 - t.tm_sec;
}

QString TimelineLocalTime::MinuteLabel(qint64 time)
{
    const Fields f = FieldsOf(time);
    return QString::asprintf("%d:%02d %s", DisplayHour(f.hour), f.minute, AmPm(f.hour));
}

QString TimelineLocalTime::HourLabel(qint64 time)
{
    const Fields f = FieldsOf(time);
    return QString::asprintf("%d %s", DisplayHour(f.hour), AmPm(f.hour));
}

QString TimelineLocalTime::DayLabel(qint64 time)
{
    const Fields f = FieldsOf(time);
    return QString::asprintf("%d/%d/%d", f.month, f.day, f.year);
}

QString TimelineLocalTime::TooltipText(qint64 time)
{
    const Fields f = FieldsOf(time);
    return QString::asprintf("%d/%d/%d %d:%02d:%02d %s", f.month, f.day, f.year, DisplayHour(f.hour),
                             f.minute, f.second, AmPm(f.hour));
}

QString TimelineLocalTime::LogText(qint64 time)
{
    // strftime's %p follows the C library's locale, which Qt sets from the user's; the log's
    // text is always the English one.
    const Fields f = FieldsOf(time);
    const int hour12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
    return QString::asprintf("%02d/%02d/%04d %02d:%02d:%02d %s", f.month, f.day, f.year, hour12,
                             f.minute, f.second, AmPm(f.hour));
}
