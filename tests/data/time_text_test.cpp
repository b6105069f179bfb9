#include "data/time_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/clock.h"
#include "data/failure.h"

namespace kolvaro {
namespace {

// Every test here sees the same "today", so that a missing or two-digit year
// reads the same on every machine and in every year.
class TimeText : public ::testing::Test {
  protected:
    void SetUp() override {
        SetClock([] { return FixedReading(2008, 3, 15, 13, 45, 30); });
    }
    void TearDown() override { SetClock({}); }
};

template <typename F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(no failure)";
}

TEST_F(TimeText, StrToIntAcceptsSignedDecimalsAfterBlanks) {
    const struct {
        const char* text;
        int value;
    } cases[] = {{"0", 0},
                 {"42", 42},
                 {"  7", 7},
                 {"-15", -15},
                 {"+8", 8},
                 {"0007", 7},
                 {"2147483647", 2147483647},
                 {"-2147483648", -2147483647 - 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    }
}

TEST_F(TimeText, StrToIntRefusesEverythingElseWithTheWholeText) {
    for (const char* text : {"", "  ", "-", "7 ", "1a", "1.5", "0x10", "2147483648", "-2147483649",
                             "99999999999999999999999"}) {
        EXPECT_EQ(FailureOf([&] { StrToInt(text); }),
                  "'" + std::string(text) + "' ist kein gültiger Integerwert");
    }
}

TEST_F(TimeText, StrToTimeAcceptedForms) {
    const struct {
        const char* text;
        int seconds;
    } cases[] = {{"07:45", 7 * 3600 + 45 * 60},
                 {" 7:45", 7 * 3600 + 45 * 60},
                 {"0:05", 5 * 60},
                 {"08:05:00", 8 * 3600 + 5 * 60},
                 {"23:59:59", 86399},
                 {"8", 8 * 3600},
                 {" 8 : 30 ", 8 * 3600 + 30 * 60},
                 {"00:00", 0}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(StrToTime(c.text), c.seconds / 86400.0) << c.text;
    }
}

TEST_F(TimeText, StrToTimeRefusedForms) {
    for (const char* text : {"  :  ", "", "24:00", "07:60", "07:45:60", "7:", ":45", "07-45",
                             "07:45x", "1:2:3:4", "-1:00", "99999999999999999999:00"}) {
        EXPECT_EQ(FailureOf([&] { StrToTime(text); }),
                  "'" + std::string(text) + "' ist keine gültige Zeit");
    }
}

TEST_F(TimeText, TimeToStrWritesTheTimeOfDayOfTheAbsoluteValue) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "00:00:00"},
        {StrToTime("08:05"), "08:05:00"},
        {-2.0 / 24, "02:00:00"},
        {26.0 / 24, "02:00:00"},
        {StrToTime("06:00") - StrToTime("22:00"), "16:00:00"},
        {StrToTime("23:00") + StrToTime("02:30"), "01:30:00"},
        {StrToTime("17:30") - StrToTime("08:15"), "09:15:00"},
        {39512.5, "12:00:00"},             // a date with a time part
        {0.4999999 / 86400, "00:00:00"},   // rounded to whole milliseconds
        {86399.9996 / 86400, "00:00:00"},  // rounds up to midnight and wraps
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeToStr(c.value), c.text) << c.value;
    }
}

TEST_F(TimeText, StrToDateAcceptedForms) {
    const struct {
        const char* text;
        const char* date;
    } cases[] = {
        {"01.03.2008", "01.03.2008"},     {"1.3.2008", "01.03.2008"},
        {" 1 . 3 . 2008 ", "01.03.2008"}, {"29.02.2008", "29.02.2008"},
        {"01.03.2008.", "01.03.2008"},    {"5.6", "05.06.2008"},
        {"5.6.", "05.06.2008"},           {"5.6.08", "05.06.2008"},
        {"5.6.99", "05.06.2099"},         {"5.6.0", "05.06.2000"},
        {"31.12.9999", "31.12.9999"},     {"01.01.100", "01.01.0100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateToStr(StrToDate(c.text)), c.date) << c.text;
    }
}

TEST_F(TimeText, StrToDateRefusedForms) {
    for (const char* text : {"31.02.2008", "29.02.2007", "00.01.2008", "01.00.2008", "01.13.2008",
                             "32.01.2008", "01.01.10000", "", "  .  .    ", "1", "1.", "01/03/2008",
                             "01.03.2008x", "01.03.2008..", "-1.03.2008", "01.03.2008 12:00"}) {
        EXPECT_EQ(FailureOf([&] { StrToDate(text); }),
                  "'" + std::string(text) + "' ist kein gültiges Datum");
    }
}

TEST_F(TimeText, DateValuesCountDaysFromTheEndOf1899) {
    EXPECT_EQ(StrToDate("30.12.1899"), 0.0);
    EXPECT_EQ(StrToDate("01.01.1900"), 2.0);
    EXPECT_EQ(StrToDate("01.03.2008"), 39508.0);
    EXPECT_EQ(DateToStr(-1.0), "29.12.1899");
    EXPECT_EQ(DateToStr(39508.75), "01.03.2008");
}

TEST_F(TimeText, DayOfWeekAndWeekdayOf) {
    EXPECT_EQ(DayOfWeek(StrToDate("02.03.2008")), 1);  // Sunday
    EXPECT_EQ(DayOfWeek(StrToDate("01.03.2008")), 7);  // Saturday
    const struct {
        const char* date;
        const char* weekday;
    } cases[] = {{"01.03.2008", "Sa"}, {"02.03.2008", "So"}, {"03.03.2008", "Mo"},
                 {"04.03.2008", "Di"}, {"05.03.2008", "Mi"}, {"06.03.2008", "Do"},
                 {"07.03.2008", "Fr"}, {"01.01.0001", "Mo"}};
    for (const auto& c : cases) {
        EXPECT_EQ(WeekdayOf(c.date), c.weekday) << c.date;
    }
}

TEST_F(TimeText, TodayAndNowComeFromTheClock) {
    EXPECT_EQ(TodayText(), "15.03.2008");
    EXPECT_EQ(DateToStr(Date()), "15.03.2008");
    EXPECT_EQ(TimeToStr(Time()), "13:45:30");
    SetClock([] { return FixedReading(2101, 1, 2); });
    EXPECT_EQ(DateToStr(StrToDate("3.4.5")), "03.04.2105");  // the current century
    EXPECT_EQ(DateToStr(StrToDate("3.4")), "03.04.2101");    // the current year
}

TEST_F(TimeText, ZeroPad) {
    EXPECT_EQ(ZeroPad(7, 4), "0007");
    EXPECT_EQ(ZeroPad(12345, 4), "12345");
    EXPECT_EQ(ZeroPad("5", 2), "05");
    EXPECT_EQ(ZeroPad("", 2), "00");
    EXPECT_EQ(IntToStr(-42), "-42");
}

TEST_F(TimeText, TimeToMinutes) {
    const struct {
        const char* text;
        int minutes;
    } cases[] = {{"00:00", 0},     {"0:00", 0},       {"07:45", 465}, {" 8:30", 510},
                 {"100:30", 6030}, {"168:05", 10085}, {"23:59", 1439}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimeToMinutes(c.text), c.minutes) << c.text;
    }
}

TEST_F(TimeText, TimeToMinutesFailsOnThePartThatIsNoNumber) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"  :  ", "'  ' ist kein gültiger Integerwert"},
        {"", "'' ist kein gültiger Integerwert"},
        {"8:3", "'' ist kein gültiger Integerwert"},
        {"07:4x", "'4x' ist kein gültiger Integerwert"},
        {"9999999999:00", "'9999999999' ist kein gültiger Integerwert"},
        {"99999999:00", "'99999999:00' ist kein gültiger Integerwert"},  // too many minutes for int
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureOf([&] { TimeToMinutes(c.text); }), c.message) << c.text;
    }
}

TEST_F(TimeText, MinutesToTime) {
    const struct {
        int minutes;
        const char* text;
    } cases[] = {{0, "0:00"},    {5, "0:05"},      {59, "0:59"},      {60, "1:00"},
                 {600, "10:00"}, {6030, "100:30"}, {10085, "168:05"}, {-65, "-1:05"}};
    for (const auto& c : cases) {
        EXPECT_EQ(MinutesToTime(c.minutes), c.text) << c.minutes;
    }
}

TEST_F(TimeText, DateArithmetic) {
    EXPECT_EQ(DaysBetween("01.01.2008", "01.02.2008"), 31);
    EXPECT_EQ(DaysBetween("29.02.2008", "01.03.2008"), 1);
    EXPECT_EQ(DaysBetween("02.01.2008", "01.01.2008"), -1);
    EXPECT_EQ(DaysBetween("31.12.2008", "01.01.2009"), 1);
    EXPECT_EQ(AddDays("31.01.2008", 29), "29.02.2008");
    EXPECT_EQ(AddDays("31.01.2008", 30), "01.03.2008");
    EXPECT_EQ(AddDays("01.01.2008", -1), "31.12.2007");
    EXPECT_EQ(DateText(1, 3, 2008), "01.03.2008");
    EXPECT_EQ(DateText(15, 11, 999), "15.11.999");
    EXPECT_EQ(FailureOf([] { AddDays("31.02.2008", 1); }), "'31.02.2008' ist kein gültiges Datum");
}

}  // namespace
}  // namespace kolvaro
