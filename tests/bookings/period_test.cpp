#include "bookings/period.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "data/failure.h"

namespace kolvaro {
namespace {

struct PeriodCase {
    const char* start;
    const char* end;
    PeriodOutcome outcome;
    std::size_t days;
    const char* message;
};

const PeriodCase kPeriodCases[] = {
    {"01.03.2008", "31.03.2008", PeriodOutcome::Accepted, 31, ""},
    {"01.01.2008", "31.01.2008", PeriodOutcome::Accepted, 31, ""},
    {"05.05.2008", "05.05.2008", PeriodOutcome::Accepted, 1, ""},
    {"28.12.2008", "03.01.2009", PeriodOutcome::Accepted, 7, ""},
    {"01.02.2008", "29.02.2008", PeriodOutcome::Accepted, 29, ""},
    {"01.01.2008", "01.02.2008", PeriodOutcome::TooLong, 0,
     "Zeitraum darf nicht größer als 31 Tage sein!"},
    {"02.01.2008", "01.01.2008", PeriodOutcome::EndBeforeStart, 0,
     "Bitte gültigen Zeitraum eingeben!"},
    {"01.02.2008", "31.01.2008", PeriodOutcome::EndBeforeStart, 0,
     "Bitte gültigen Zeitraum eingeben!"},
    {"", "31.03.2008", PeriodOutcome::Unreadable, 0, ""},
    {"01.03.2008", "", PeriodOutcome::Unreadable, 0, ""},
    {"01.03.2008", "31.02.2008", PeriodOutcome::Unreadable, 0, ""},
    {"01.03.2008", "  .  .    ", PeriodOutcome::Unreadable, 0, ""},
};

TEST(CheckPeriodTest, Table) {
    for (const PeriodCase& c : kPeriodCases) {
        const PeriodCheck check = CheckPeriod(c.start, c.end);
        SCOPED_TRACE(std::string(c.start) + " - " + c.end);
        EXPECT_EQ(check.outcome, c.outcome);
        EXPECT_EQ(check.days.size(), c.days);
        EXPECT_EQ(check.message, c.message);
    }
}

TEST(CheckPeriodTest, DayLinesCarryWeekdayAndDate) {
    const PeriodCheck check = CheckPeriod("01.03.2008", "31.03.2008");
    ASSERT_EQ(check.days.size(), 31u);
    EXPECT_EQ(check.days[0].weekday, "Sa");
    EXPECT_EQ(check.days[0].date, "01.03.2008");
    EXPECT_EQ(check.days[1].weekday, "So");
    EXPECT_EQ(check.days[2].weekday, "Mo");
    EXPECT_EQ(check.days[30].weekday, "Mo");
    EXPECT_EQ(check.days[30].date, "31.03.2008");

    const PeriodCheck turn = CheckPeriod("31.12.2008", "01.01.2009");
    ASSERT_EQ(turn.days.size(), 2u);
    EXPECT_EQ(turn.days[1].date, "01.01.2009");
    EXPECT_EQ(turn.days[1].weekday, "Do");
}

struct MonthCase {
    int month;
    const char* year;
    const char* start;
    const char* end;
};

const MonthCase kMonthCases[] = {
    {2, "2008", "01.02.2008", "29.02.2008"}, {2, "2000", "01.02.2000", "29.02.2000"},
    {2, "2100", "01.02.2100", "28.02.2100"}, {2, "2099", "01.02.2099", "28.02.2099"},
    {2, "1900", "01.02.1900", "28.02.1900"}, {1, "2008", "01.01.2008", "31.01.2008"},
    {4, "2008", "01.04.2008", "30.04.2008"}, {12, "2099", "01.12.2099", "31.12.2099"},
};

TEST(MonthDatesTest, Table) {
    for (const MonthCase& c : kMonthCases) {
        const MonthPeriod period = MonthDates(c.month, c.year);
        EXPECT_EQ(period.start, c.start) << c.month << "/" << c.year;
        EXPECT_EQ(period.end, c.end) << c.month << "/" << c.year;
        EXPECT_EQ(CheckPeriod(period.start, period.end).outcome, PeriodOutcome::Accepted);
    }
}

TEST(MonthDatesTest, RejectsWhatTheFieldsCannotHold) {
    EXPECT_THROW(MonthDates(0, "2008"), std::invalid_argument);
    EXPECT_THROW(MonthDates(13, "2008"), std::invalid_argument);
    EXPECT_THROW(MonthDates(2, "20x8"), Failure);
}

struct EditCase {
    const char* text;
    const char* accepted;  // nullptr: rejected
};

const EditCase kEditCases[] = {
    {"07:30", "07:30"},
    {"00:00", "00:00"},
    {"23:59", "23:59"},
    {"24:00", nullptr},
    {"25:00", nullptr},
    {"07:60", nullptr},
    {"99:99", nullptr},
    {"  :  ", nullptr},
    {"07:  ", nullptr},  // minutes left blank
    {"  :30", nullptr},
    {"0 :  ", nullptr},  // one digit typed, then Enter
    {"", nullptr},
    // Unfilled positions read as blanks; the cell gets the full form.
    {"07:3 ", "07:03"},
    {"7 :3 ", "07:03"},
    {" 7:30", "07:30"},
    {"7 :30", "07:30"},
    {"07: 5", "07:05"},
};

TEST(AcceptEditedTimeTest, Table) {
    for (const EditCase& c : kEditCases) {
        const auto accepted = AcceptEditedTime(c.text);
        if (c.accepted) {
            ASSERT_TRUE(accepted.has_value()) << "'" << c.text << "'";
            EXPECT_EQ(*accepted, c.accepted) << "'" << c.text << "'";
        } else {
            EXPECT_FALSE(accepted.has_value()) << "'" << c.text << "'";
        }
    }
}

}  // namespace
}  // namespace kolvaro
