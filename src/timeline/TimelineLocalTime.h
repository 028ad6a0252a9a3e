#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// Local calendar arithmetic of the time scale under the process time zone (localtime_r, mktime):
// the broken-down fields of a time, the instants a wall-clock reading stands for (none in a
// clock-change gap, two in a repeated hour), local midnights, and the scale's texts.
class TimelineLocalTime {
public:
    struct Fields {
        int year = 1970;
        int month = 1;   // 1-12
        int day = 1;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    static Fields FieldsOf(qint64 time);
    // Every instant whose local reading is these fields, earliest first: one normally, two in a
    // repeated hour, none in a gap.
    static std::vector<qint64> InstantsOf(const Fields& fields);
    // The instant of a local reading: in a gap the reading moves on by the gap (02:30 on a
    // spring-forward night reads 03:30); in a repeated hour the earlier instant.
    static qint64 InstantOf(const Fields& fields);
    // The go-to target: the reading as one local time; of two instants the earlier, unless only
    // the later lies in [start, end]. Nothing when the target lies outside [start, end].
    static std::optional<qint64> GoToTarget(const Fields& chosen, qint64 start, qint64 end);

    // The local midnight at or before a time, and the one a number of calendar days before a
    // midnight (a day is not always 86,400 s).
    static qint64 MidnightAtOrBefore(qint64 time);
    static qint64 MidnightDaysBefore(qint64 midnight, int days);
    // A local hour begins at a time minus its minutes and seconds.
    static qint64 HourAtOrBefore(qint64 time);

    // Hours 0-11 print as they are with "AM" (midnight prints as 0), 12 as 12 "PM", 13-23 less 12
    // with "PM".
    static int DisplayHour(int hour) { return hour > 12 ? hour - 12 : hour; }
    static const char* AmPm(int hour) { return hour >= 12 ? "PM" : "AM"; }

    // "2:30 PM", "4 PM", "6/15/2016": the tick labels of the three span rows.
    static QString MinuteLabel(qint64 time);
    static QString HourLabel(qint64 time);
    static QString DayLabel(qint64 time);
    // "6/15/2016 2:30:05 PM": the pointer's time.
    static QString TooltipText(qint64 time);
    // "%m/%d/%Y %I:%M:%S %p", as the go-to log line writes it.
    static QString LogText(qint64 time);
};
