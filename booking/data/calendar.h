#pragma once

// The calendar the windows speak: German month and weekday names, the days of
// a month, its first weekday and the month of today. Months count from 1
// (Januar), weekdays from 1 (Sunday) to 7 (Saturday) as `DayOfWeek` does, and
// a month always comes before its year.

#include <string>

namespace kolvaro {

// "Januar" … "Dezember" (UTF-8); throws std::invalid_argument outside 1..12.
const char* MonthName(int month);

// "So", "Mo", … "Sa"; throws std::invalid_argument outside 1..7.
const char* WeekdayName(int weekday);

// Days of the month in the Gregorian calendar (28 to 31). Throws
// std::invalid_argument for a month outside 1..12.
int DaysInMonth(int month, int year);

// The weekday (1 = Sunday … 7 = Saturday) of the first day of the month.
// Throws std::invalid_argument for a month outside 1..12.
int FirstWeekday(int month, int year);

struct CalendarMonth {
    int month = 1;  // 1 to 12
    int year = 0;   // as it is, four digits in our times
    friend bool operator==(const CalendarMonth&, const CalendarMonth&) = default;
};

// The month of today's date, through the clock seam.
CalendarMonth CurrentMonth();

}  // namespace kolvaro
