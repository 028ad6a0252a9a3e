#pragma once

// Broken-down calendar time as the recorders keep it (month 1-12, day 1-31).
struct CalendarFields {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};
