#pragma once

#include "evidence/CalendarFields.h"

#include <QByteArray>
#include <QtGlobal>
#include <stdexcept>

// A conversion failure of the tag's texts that the tag readers report with their own message.
class TagConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Time values are signed seconds since 1970-01-01 00:00 UTC; calendar fields are local time with
// daylight saving decided by the C library under TZ.
class EvidenceTime {
public:
    // 1970-01-01 12:00:00 local time: stands for "no time".
    static qint64 NullTime();

    static qint64 FromLocalFields(const CalendarFields& fields);
    static bool ToLocalFields(qint64 time, CalendarFields& fields);

    // Days since 1970-01-01 of a proleptic Gregorian date, and back.
    static qint64 DaysFromCivil(qint64 year, int month, int day);
    static void CivilFromDays(qint64 days, qint64& year, int& month, int& day);
    // The calendar fields of seconds since 1970 counted on a recorder's wall clock, without any
    // zone shift; the year also whole in *year (the fields' int may not hold it).
    static CalendarFields WallClockFields(qint64 seconds, qint64* year);

    // OLE Automation date (days since 1899-12-30, fraction = local time of day), to the nearest
    // whole second. Out of the convertible range gives the null time; a year before 1900 throws
    // TagConversionError.
    static qint64 FromOleDate(double oleDate);
    static double ToOleDate(qint64 time);

    // The 16-byte time text of a tag: ',' read as '.', parsed as a double with the standard
    // conversion's errors ("invalid stod argument", "stod argument out of range").
    static qint64 ParseOleText(const QByteArray& text);
    // "%.15Lf" of the OLE date, first 16 characters.
    static QByteArray FormatOleText(qint64 time);

    // Bookmark time: 100-ns units since 0001-01-01 of the local wall-clock time.
    static qint64 TicksFromTime(qint64 time);
    static qint64 TimeFromTicks(qint64 ticks);

    // The standard string-to-double conversion, independent of the process locale.
    static double StringToDouble(const char* text);
};
