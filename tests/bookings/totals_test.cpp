#include "bookings/totals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvaro {
namespace {

struct DayCase {
    const char* what;
    const char* kommt;
    const char* pause1;
    const char* pause2;
    const char* geht;
    const char* tag;
};

const DayCase kDayCases[] = {
    {"ordinary day", "07:30", "12:00", "12:30", "16:00", "08:00"},
    {"overnight shift", "22:00", "", "", "06:00", "08:00"},
    {"overnight shift with break", "22:00", "02:00", "02:30", "06:00", "07:30"},
    {"break past midnight", "20:00", "23:45", "00:15", "05:00", "08:30"},
    {"morning only", "08:00", "12:00", "", "", "04:00"},
    {"morning with whole break", "08:00", "12:00", "12:30", "", "03:30"},
    {"lone first break cell ignored", "08:00", "12:00", "", "16:00", "08:00"},
    {"lone second break cell ignored", "08:00", "", "12:30", "16:00", "08:00"},
    {"arrival equals leaving", "08:00", "", "", "08:00", "00:00"},
    {"only arrival", "08:00", "", "", "", "00:00"},
    {"only leaving", "", "", "", "16:00", "00:00"},
    {"empty row", "", "", "", "", "00:00"},
    {"break of no length", "08:00", "12:00", "12:00", "16:00", "08:00"},
    {"only the break: its magnitude", "", "12:00", "12:30", "", "00:30"},
    {"break beyond leaving: magnitude", "08:00", "07:00", "17:00", "10:00", "08:00"},
    {"times compared by value", "8:00", "", "", "16:00", "08:00"},
    {"seconds are cut off", "08:00:30", "", "", "16:00", "07:59"},
    // Damaged cells stop the rule where they stand.
    {"damaged arrival", "25:00", "12:00", "12:30", "16:00", "00:00"},
    {"damaged leaving", "08:00", "", "", "xx", "00:00"},
    {"empty time field is no time", "  :  ", "", "", "16:00", "00:00"},
    {"damaged break keeps the span", "08:00", "12:00", "12:6x", "16:00", "08:00"},
    {"damaged break start keeps the span", "08:00", "ab", "12:30", "16:00", "08:00"},
    {"damaged first break in the morning rule", "08:00", "x", "", "", "00:00"},
};

TEST(DayTimeTest, Table) {
    for (const DayCase& c : kDayCases) {
        EXPECT_EQ(DayTime(c.kommt, c.pause1, c.pause2, c.geht), c.tag) << c.what;
    }
}

BookingDay Day(const char* k, const char* p1, const char* p2, const char* g) {
    return BookingDay{{k, p1, p2, g, "stale", "stale"}};
}

TEST(ComputeTotalsTest, RunningTotalsAndCaption) {
    std::vector<BookingDay> days = {
        Day("07:30", "12:00", "12:30", "16:00"),  // 08:00
        Day("", "", "", ""),                      // 00:00
        Day("22:00", "", "", "06:00"),            // 08:00
        Day("08:00", "", "", "08:05"),            // 00:05
    };
    EXPECT_EQ(ComputeTotals(days), "16:05 ");
    const char* tag[] = {"08:00", "00:00", "08:00", "00:05"};
    const char* summe[] = {"8:00", "8:00", "16:00", "16:05"};
    for (std::size_t i = 0; i < days.size(); ++i) {
        EXPECT_EQ(days[i].cells[4], tag[i]) << i;
        EXPECT_EQ(days[i].cells[5], summe[i]) << i;
    }
}

TEST(ComputeTotalsTest, EmptyFirstRowAndNoRows) {
    std::vector<BookingDay> none;
    EXPECT_EQ(ComputeTotals(none), "0:00 ");
    std::vector<BookingDay> one = {Day("08:00", "", "", "")};
    EXPECT_EQ(ComputeTotals(one), "0:00 ");
    EXPECT_EQ(one[0].cells[4], "00:00");
    EXPECT_EQ(one[0].cells[5], "0:00");
}

TEST(ComputeTotalsTest, HoursBeyondADayInTheTotal) {
    // Twenty eight-hour days and one of 3:45.
    std::vector<BookingDay> days(20, Day("07:00", "", "", "15:00"));
    days.push_back(Day("08:00", "", "", "11:45"));
    EXPECT_EQ(ComputeTotals(days), "163:45 ");
    EXPECT_EQ(days.back().cells[5], "163:45");
    EXPECT_EQ(days[9].cells[5], "80:00");
}

}  // namespace
}  // namespace kolvaro
