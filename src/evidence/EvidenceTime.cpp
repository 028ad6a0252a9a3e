#include "evidence/EvidenceTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

namespace {

constexpr qint64 kSecondsPerDay = 86400;
constexpr qint64 kTicksPerSecond = 10000000;
// Seconds from 0001-01-01 to 1601-01-01, and ticks from 0001-01-01 to 1970-01-01.
constexpr qint64 kSeconds0001To1601 = 50491123200LL;
constexpr qint64 kTicks0001To1970 = 621355968000000000LL;
// 100-ns units from 1601-01-01 to 1970-01-01.
constexpr qint64 kFileTime1970 = 116444736000000000LL;
// Convertible range of OLE Automation dates: years 100 to 9999.
constexpr double kOleMin = -657434.0;
constexpr double kOleMax = 2958466.0;

qint64 FloorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

qint64 EvidenceTime::DaysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = FloorDiv(y, 400);
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void EvidenceTime::CivilFromDays(qint64 z, qint64& year, int& month, int& day)
{
    z += 719468;
    const qint64 era = FloorDiv(z, 146097);
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

qint64 EvidenceTime::FromLocalFields(const CalendarFields& f)
{
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    return static_cast<qint64>(std::mktime(&tm));
}

bool EvidenceTime::ToLocalFields(qint64 time, CalendarFields& f)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return false;
    }
    f.year = tm.tm_year + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    f.millisecond = 0;
    return true;
}

qint64 EvidenceTime::NullTime()
{
    CalendarFields f;
    f.hour = 12;
    return FromLocalFields(f);
}

qint64 EvidenceTime::FromOleDate(double ole)
{
    if (!(ole >= kOleMin && ole < kOleMax)) {
        return NullTime();
    }
    // The integer part is the day, the fraction's magnitude the time of day.
    double whole = std::trunc(ole);
    qint64 seconds = std::llround(std::fabs(ole - whole) * kSecondsPerDay);
    qint64 dayIndex = static_cast<qint64>(whole);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++dayIndex;
    }
    const qint64 days1970 = dayIndex + DaysFromCivil(1899, 12, 30);
    CalendarFields f;
    qint64 year = 0;
    CivilFromDays(days1970, year, f.month, f.day);
    if (year < 1900) {
        throw TagConversionError("year before 1900");
    }
    if (year > 9999) {
        return NullTime();
    }
    f.year = static_cast<int>(year);
    f.hour = static_cast<int>(seconds / 3600);
    f.minute = static_cast<int>(seconds / 60 % 60);
    f.second = static_cast<int>(seconds % 60);
    return FromLocalFields(f);
}

double EvidenceTime::ToOleDate(qint64 time)
{
    CalendarFields f;
    if (!ToLocalFields(time, f)) {
        return 0.0;
    }
    const qint64 days = DaysFromCivil(f.year, f.month, f.day) - DaysFromCivil(1899, 12, 30);
    const double fraction = (f.hour * 3600.0 + f.minute * 60.0 + f.second) / kSecondsPerDay;
    return static_cast<double>(days) + fraction;
}

double EvidenceTime::StringToDouble(const char* text)
{
    const char* p = text;
    while (IsCSpace(*p)) {
        ++p;
    }
    const char* end = p + std::strlen(p);
    const char* start = p;
    bool negative = false;
    if (*start == '+' || *start == '-') {
        negative = *start == '-';
        ++start;
    }
    double value = 0.0;
    auto result = std::from_chars(start, end, value);
    if (result.ec == std::errc::invalid_argument || *start == '-' || *start == '+') {
        throw std::invalid_argument("invalid stod argument");
    }
    if (result.ec == std::errc::result_out_of_range) {
        throw std::out_of_range("stod argument out of range");
    }
    return negative ? -value : value;
}

qint64 EvidenceTime::ParseOleText(const QByteArray& text)
{
    // At most 127 characters are taken, then NUL-terminated.
    char buffer[128] = {};
    std::memcpy(buffer, text.constData(), std::min<qsizetype>(text.size(), 127));
    for (char& c : buffer) {
        if (c == ',') {
            c = '.';
        }
    }
    return FromOleDate(StringToDouble(buffer));
}

QByteArray EvidenceTime::FormatOleText(qint64 time)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15Lf", static_cast<long double>(ToOleDate(time)));
    QByteArray out(buffer, static_cast<qsizetype>(std::min<size_t>(std::strlen(buffer), 16)));
    out.append(QByteArray(16 - out.size(), '\0'));
    return out;
}

qint64 EvidenceTime::TicksFromTime(qint64 time)
{
    CalendarFields f;
    if (!ToLocalFields(time, f)) {
        return 0;
    }
    const qint64 seconds1601 =
        (DaysFromCivil(f.year, f.month, f.day) - DaysFromCivil(1601, 1, 1)) * kSecondsPerDay
        + f.hour * 3600 + f.minute * 60 + f.second;
    return (seconds1601 + kSeconds0001To1601) * kTicksPerSecond;
}

qint64 EvidenceTime::TimeFromTicks(qint64 ticks)
{
    // Before 1601 cannot be converted and the fields stay at 1970. Checked on the ticks first: a
    // damaged record's count near the lowest 64-bit value must not overflow the subtraction.
    if (ticks <= kTicks0001To1970 - kFileTime1970 - kTicksPerSecond) {
        return 0;
    }
    // Whole seconds since 1970 counted on the wall clock, then read as local calendar fields.
    const qint64 seconds = (ticks - kTicks0001To1970) / kTicksPerSecond;
    qint64 year = 0;
    const CalendarFields f = WallClockFields(seconds, &year);
    if (year == 1970) {
        return 0;
    }
    if (year < 1900) {
        return 1;
    }
    return FromLocalFields(f);
}

CalendarFields EvidenceTime::WallClockFields(qint64 seconds, qint64* year)
{
    const qint64 days = FloorDiv(seconds, kSecondsPerDay);
    const qint64 timeOfDay = seconds - days * kSecondsPerDay;
    CalendarFields f;
    CivilFromDays(days, *year, f.month, f.day);
    f.year = static_cast<int>(std::clamp<qint64>(*year, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    f.hour = static_cast<int>(timeOfDay / 3600);
    f.minute = static_cast<int>(timeOfDay / 60 % 60);
    f.second = static_cast<int>(timeOfDay % 60);
    return f;
}
