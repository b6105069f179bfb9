#include "data/calendar.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "data/clock.h"

namespace kolvaro {
namespace {

TEST(Calendar, MonthsTable) {
    const struct {
        int month;
        int year;
        const char* name;
        int days;
        int firstWeekday;  // 1 = Sunday
    } cases[] = {
        {1, 2008, "Januar", 31, 3},    {2, 2008, "Februar", 29, 6},  {2, 2000, "Februar", 29, 3},
        {2, 1900, "Februar", 28, 5},   {2, 2100, "Februar", 28, 2},  {2, 2009, "Februar", 28, 1},
        {3, 2008, "März", 31, 7},      {4, 2008, "April", 30, 3},    {5, 2004, "Mai", 31, 7},
        {6, 2008, "Juni", 30, 1},      {7, 2008, "Juli", 31, 3},     {8, 2008, "August", 31, 6},
        {9, 2008, "September", 30, 2}, {10, 2008, "Oktober", 31, 4}, {11, 2008, "November", 30, 7},
        {12, 2008, "Dezember", 31, 2}, {1, 1, "Januar", 31, 2},      {12, 9999, "Dezember", 31, 4},
    };
    for (const auto& c : cases) {
        const std::string label = std::to_string(c.month) + "/" + std::to_string(c.year);
        EXPECT_STREQ(MonthName(c.month), c.name) << label;
        EXPECT_EQ(DaysInMonth(c.month, c.year), c.days) << label;
        EXPECT_EQ(FirstWeekday(c.month, c.year), c.firstWeekday) << label;
    }
}

TEST(Calendar, WeekdayNamesStartOnSunday) {
    const char* const names[] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    for (int weekday = 1; weekday <= 7; ++weekday) {
        EXPECT_STREQ(WeekdayName(weekday), names[weekday - 1]);
    }
}

TEST(Calendar, RejectsMonthsAndWeekdaysOutOfRange) {
    for (const int month : {0, 13, -1}) {
        EXPECT_THROW(MonthName(month), std::invalid_argument) << month;
        EXPECT_THROW(DaysInMonth(month, 2008), std::invalid_argument) << month;
        EXPECT_THROW(FirstWeekday(month, 2008), std::invalid_argument) << month;
    }
    EXPECT_THROW(WeekdayName(0), std::invalid_argument);
    EXPECT_THROW(WeekdayName(8), std::invalid_argument);
}

TEST(Calendar, CurrentMonthComesFromTheClock) {
    // A year before 2000 stays as it is: it is no two-digit year.
    const struct {
        int year;
        unsigned month;
        unsigned day;
        CalendarMonth expected;
    } cases[] = {{2008, 3, 15, {3, 2008}}, {1999, 12, 31, {12, 1999}}, {2101, 1, 1, {1, 2101}}};
    for (const auto& c : cases) {
        SetClock([&] { return FixedReading(c.year, c.month, c.day, 23, 59, 59); });
        EXPECT_EQ(CurrentMonth(), c.expected) << c.year;
    }
    SetClock({});
}

}  // namespace
}  // namespace kolvaro
