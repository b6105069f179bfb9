#include "data/holidays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kolvaro {
namespace {

std::string DayText(const MonthDay& date) {
    std::ostringstream text;
    text << (date.day < 10 ? "0" : "") << date.day << '.' << (date.month < 10 ? "0" : "")
         << date.month << '.';
    return text.str();
}

// "DD.MM. Name" of every holiday, in the order given.
std::vector<std::string> Listed(std::string_view state, int year) {
    std::vector<std::string> listed;
    for (const Holiday& holiday : PublicHolidays(state, year)) {
        listed.push_back(DayText(holiday.date) + " " + holiday.name);
    }
    return listed;
}

// Easter Sunday from the published tables, 1995 to 2030, and the extremes.
TEST(Holidays, EasterSundayMatchesThePublishedTable) {
    const std::map<int, MonthDay> published = {
        {1995, {4, 16}}, {1996, {4, 7}},  {1997, {3, 30}}, {1998, {4, 12}}, {1999, {4, 4}},
        {2000, {4, 23}}, {2001, {4, 15}}, {2002, {3, 31}}, {2003, {4, 20}}, {2004, {4, 11}},
        {2005, {3, 27}}, {2006, {4, 16}}, {2007, {4, 8}},  {2008, {3, 23}}, {2009, {4, 12}},
        {2010, {4, 4}},  {2011, {4, 24}}, {2012, {4, 8}},  {2013, {3, 31}}, {2014, {4, 20}},
        {2015, {4, 5}},  {2016, {3, 27}}, {2017, {4, 16}}, {2018, {4, 1}},  {2019, {4, 21}},
        {2020, {4, 12}}, {2021, {4, 4}},  {2022, {4, 17}}, {2023, {4, 9}},  {2024, {3, 31}},
        {2025, {4, 20}}, {2026, {4, 5}},  {2027, {3, 28}}, {2028, {4, 16}}, {2029, {4, 1}},
        {2030, {4, 21}}, {2038, {4, 25}}, {2100, {3, 28}}, {2285, {3, 22}}, {1818, {3, 22}},
    };
    for (const auto& [year, date] : published) {
        EXPECT_EQ(EasterSunday(year), date) << year;
    }
}

TEST(Holidays, StateCodesInAnyCase) {
    const struct {
        const char* text;
        const char* code;  // nullptr: no state
    } cases[] = {
        {"BY", "BY"},     {"by", "BY"},       {"Nw", "NW"},    {"th", "TH"},
        {"", nullptr},    {"XX", nullptr},    {"B", nullptr},  {"BYX", nullptr},
        {" BY", nullptr}, {"keine", nullptr}, {"Bü", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> code = FederalStateCode(c.text);
        if (c.code == nullptr) {
            EXPECT_FALSE(code) << c.text;
        } else {
            EXPECT_EQ(code.value_or("-"), c.code) << c.text;
        }
    }
    for (const FederalState& state : kFederalStates) {
        EXPECT_EQ(FederalStateCode(state.code).value_or("-"), state.code);
    }
}

// The movable days of the years that matter, from the published calendars;
// the fixed days need no table.
struct MovableDays {
    int year;
    const char* karfreitag;
    const char* ostermontag;
    const char* himmelfahrt;
    const char* pfingstmontag;
    const char* fronleichnam;
    const char* bussUndBettag;
};

constexpr MovableDays kMovable[] = {
    {1995, "14.04.", "17.04.", "25.05.", "05.06.", "15.06.", "22.11."},
    {2008, "21.03.", "24.03.", "01.05.", "12.05.", "22.05.", "19.11."},  // early Easter
    {2011, "22.04.", "25.04.", "02.06.", "13.06.", "23.06.", "16.11."},  // late Easter
    {2017, "14.04.", "17.04.", "25.05.", "05.06.", "15.06.", "22.11."},
    {2018, "30.03.", "02.04.", "10.05.", "21.05.", "31.05.", "21.11."},
    {2019, "19.04.", "22.04.", "30.05.", "10.06.", "20.06.", "20.11."},
    {2020, "10.04.", "13.04.", "21.05.", "01.06.", "11.06.", "18.11."},
    {2023, "07.04.", "10.04.", "18.05.", "29.05.", "08.06.", "22.11."},
    {2024, "29.03.", "01.04.", "09.05.", "20.05.", "30.05.", "20.11."},
    {2025, "18.04.", "21.04.", "29.05.", "09.06.", "19.06.", "19.11."},
};

// What each state has beyond the nine days of all states, year by year, in
// the words of the holiday laws. A row holds for the years from `from` to
// `to`.
struct StateExtras {
    const char* state;
    int from;
    int to;
    std::vector<std::string> extras;
};

const std::vector<StateExtras>& ExtrasTable() {
    static const std::vector<StateExtras> table = {
        {"BW", 1995, 2100, {"Heilige Drei Könige", "Fronleichnam", "Allerheiligen"}},
        {"BY", 1995, 2100, {"Heilige Drei Könige", "Fronleichnam", "Allerheiligen"}},
        {"BE", 1995, 2018, {}},
        {"BE", 2019, 2019, {"Internationaler Frauentag"}},
        {"BE", 2020, 2020, {"Internationaler Frauentag", "Tag der Befreiung"}},
        {"BE", 2021, 2024, {"Internationaler Frauentag"}},
        {"BE", 2025, 2025, {"Internationaler Frauentag", "Tag der Befreiung"}},
        {"BE", 2026, 2100, {"Internationaler Frauentag"}},
        {"BB", 1995, 2100, {"Ostersonntag", "Pfingstsonntag", "Reformationstag"}},
        {"HB", 1995, 2016, {}},
        {"HB", 2017, 2100, {"Reformationstag"}},
        {"HH", 1995, 2016, {}},
        {"HH", 2017, 2100, {"Reformationstag"}},
        {"HE", 1995, 2100, {"Fronleichnam"}},
        {"MV", 1995, 2022, {"Reformationstag"}},
        {"MV", 2023, 2100, {"Internationaler Frauentag", "Reformationstag"}},
        {"NI", 1995, 2016, {}},
        {"NI", 2017, 2100, {"Reformationstag"}},
        {"NW", 1995, 2100, {"Fronleichnam", "Allerheiligen"}},
        {"RP", 1995, 2100, {"Fronleichnam", "Allerheiligen"}},
        {"SL", 1995, 2100, {"Fronleichnam", "Mariä Himmelfahrt", "Allerheiligen"}},
        {"SN", 1995, 2100, {"Reformationstag", "Buß- und Bettag"}},
        {"ST", 1995, 2100, {"Heilige Drei Könige", "Reformationstag"}},
        {"SH", 1995, 2016, {}},
        {"SH", 2017, 2100, {"Reformationstag"}},
        {"TH", 1995, 2018, {"Reformationstag"}},
        {"TH", 2019, 2100, {"Weltkindertag", "Reformationstag"}},
    };
    return table;
}

std::set<std::string> ExtrasOf(std::string_view state, int year) {
    std::set<std::string> extras;
    for (const StateExtras& row : ExtrasTable()) {
        if (row.state == state && row.from <= year && year <= row.to) {
            extras.insert(row.extras.begin(), row.extras.end());
        }
    }
    // The 500th year of the Reformation was a holiday everywhere, once.
    if (year == 2017) {
        extras.insert("Reformationstag");
    }
    return extras;
}

const std::vector<std::string> kAllStates = {"Neujahr",
                                             "Karfreitag",
                                             "Ostermontag",
                                             "Tag der Arbeit",
                                             "Christi Himmelfahrt",
                                             "Pfingstmontag",
                                             "Tag der Deutschen Einheit",
                                             "1. Weihnachtstag",
                                             "2. Weihnachtstag"};

TEST(Holidays, EveryStateInTheYearsThatMatter) {
    for (const MovableDays& year : kMovable) {
        const std::map<std::string, std::string> dates = {
            {"Neujahr", "01.01."},
            {"Heilige Drei Könige", "06.01."},
            {"Internationaler Frauentag", "08.03."},
            {"Karfreitag", year.karfreitag},
            {"Ostermontag", year.ostermontag},
            {"Tag der Arbeit", "01.05."},
            {"Tag der Befreiung", "08.05."},
            {"Christi Himmelfahrt", year.himmelfahrt},
            {"Pfingstmontag", year.pfingstmontag},
            {"Fronleichnam", year.fronleichnam},
            {"Mariä Himmelfahrt", "15.08."},
            {"Weltkindertag", "20.09."},
            {"Tag der Deutschen Einheit", "03.10."},
            {"Reformationstag", "31.10."},
            {"Allerheiligen", "01.11."},
            {"Buß- und Bettag", year.bussUndBettag},
            {"1. Weihnachtstag", "25.12."},
            {"2. Weihnachtstag", "26.12."},
        };
        for (const FederalState& state : kFederalStates) {
            std::set<std::string> expected;
            for (const std::string& name : kAllStates) {
                expected.insert(dates.at(name) + " " + name);
            }
            for (const std::string& name : ExtrasOf(state.code, year.year)) {
                // The two Sundays of Brandenburg follow Easter; checked below.
                if (name != "Ostersonntag" && name != "Pfingstsonntag") {
                    expected.insert(dates.at(name) + " " + name);
                }
            }
            std::set<std::string> got;
            for (const std::string& listed : Listed(state.code, year.year)) {
                if (listed.find("sonntag") == std::string::npos) {
                    got.insert(listed);
                }
            }
            EXPECT_EQ(got, expected) << state.code << " " << year.year;
        }
    }
}

TEST(Holidays, FamiliarFiguresOf2024) {
    // The number of statewide holidays each state had in 2024, as every
    // holiday calendar lists them (Brandenburg with its two Sundays).
    const std::map<std::string, std::size_t> counts = {
        {"BW", 12}, {"BY", 12}, {"BE", 10}, {"BB", 12}, {"HB", 10}, {"HH", 10},
        {"HE", 10}, {"MV", 11}, {"NI", 10}, {"NW", 11}, {"RP", 11}, {"SL", 12},
        {"SN", 11}, {"ST", 11}, {"SH", 10}, {"TH", 11}};
    for (const auto& [state, count] : counts) {
        EXPECT_EQ(PublicHolidays(state, 2024).size(), count) << state;
    }
    EXPECT_EQ(
        Listed("BB", 2024),
        (std::vector<std::string>{
            "01.01. Neujahr", "29.03. Karfreitag", "31.03. Ostersonntag", "01.04. Ostermontag",
            "01.05. Tag der Arbeit", "09.05. Christi Himmelfahrt", "19.05. Pfingstsonntag",
            "20.05. Pfingstmontag", "03.10. Tag der Deutschen Einheit", "31.10. Reformationstag",
            "25.12. 1. Weihnachtstag", "26.12. 2. Weihnachtstag"}));
}

// A second computation, written differently: the Easter dates from the
// published table, each holiday as an offset or a fixed day with the states
// and years of its law, compared with the table for every state and every
// year from 1995 to 2030.
TEST(Holidays, SecondComputationAgreesFrom1995To2030) {
    // Easter Sunday 1995 … 2030 as days counted from the first of March
    // (22 = 22 March, 32 = 1 April).
    const int easterDay[] = {47, 38, 30, 43, 35, 54, 46, 31, 51, 42, 27, 47,
                             39, 23, 43, 35, 55, 39, 31, 51, 36, 27, 47, 32,
                             52, 43, 35, 48, 40, 31, 51, 36, 28, 47, 32, 52};
    using namespace std::chrono;
    for (int year = 1995; year <= 2030; ++year) {
        const sys_days easter =
            sys_days{std::chrono::year{year} / March / 1} + days{easterDay[year - 1995] - 1};
        const auto text = [](sys_days day) {
            const year_month_day ymd{day};
            return DayText({static_cast<int>(static_cast<unsigned>(ymd.month())),
                            static_cast<int>(static_cast<unsigned>(ymd.day()))});
        };
        const auto fixed = [&](unsigned month, unsigned day) {
            return text(sys_days{std::chrono::year{year} / month / day});
        };
        // The Wednesday between 16 and 22 November.
        std::string bussUndBettag;
        for (unsigned day = 16; day <= 22; ++day) {
            if (weekday{sys_days{std::chrono::year{year} / November / day}} == Wednesday) {
                bussUndBettag = fixed(11, day);
            }
        }
        const std::map<std::string, std::string> dates = {
            {"Neujahr", fixed(1, 1)},
            {"Heilige Drei Könige", fixed(1, 6)},
            {"Internationaler Frauentag", fixed(3, 8)},
            {"Karfreitag", text(easter - days{2})},
            {"Ostersonntag", text(easter)},
            {"Ostermontag", text(easter + days{1})},
            {"Tag der Arbeit", fixed(5, 1)},
            {"Tag der Befreiung", fixed(5, 8)},
            {"Christi Himmelfahrt", text(easter + days{39})},
            {"Pfingstsonntag", text(easter + days{49})},
            {"Pfingstmontag", text(easter + days{50})},
            {"Fronleichnam", text(easter + days{60})},
            {"Mariä Himmelfahrt", fixed(8, 15)},
            {"Weltkindertag", fixed(9, 20)},
            {"Tag der Deutschen Einheit", fixed(10, 3)},
            {"Reformationstag", fixed(10, 31)},
            {"Allerheiligen", fixed(11, 1)},
            {"Buß- und Bettag", bussUndBettag},
            {"1. Weihnachtstag", fixed(12, 25)},
            {"2. Weihnachtstag", fixed(12, 26)},
        };
        for (const FederalState& state : kFederalStates) {
            std::multiset<std::string> expected;
            for (const std::string& name : kAllStates) {
                expected.insert(dates.at(name) + " " + name);
            }
            for (const std::string& name : ExtrasOf(state.code, year)) {
                expected.insert(dates.at(name) + " " + name);
            }
            const std::vector<std::string> listed = Listed(state.code, year);
            EXPECT_EQ(std::multiset<std::string>(listed.begin(), listed.end()), expected)
                << state.code << " " << year;
            // In date order.
            std::vector<std::string> byDate = listed;
            std::stable_sort(byDate.begin(), byDate.end(), [](const auto& a, const auto& b) {
                return a.substr(3, 2) + a.substr(0, 2) < b.substr(3, 2) + b.substr(0, 2);
            });
            EXPECT_EQ(listed, byDate) << state.code << " " << year;
        }
    }
}

TEST(Holidays, NamesOfDateTexts) {
    const struct {
        const char* state;
        const char* date;
        const char* name;
    } cases[] = {
        {"BY", "06.01.2024", "Heilige Drei Könige"},
        {"SN", "19.11.2025", "Buß- und Bettag"},
        {"BE", "24.12.2024", ""},
        {"BE", "25.12.2024", "1. Weihnachtstag"},
        {"BE", "25.12.24", ""},
        {"BE", "25-12-2024", ""},
        {"BE", "2a.12.2024", ""},
        {"BE", "", ""},
        {"BE", "00.12.2024", ""},
        {"BE", "25.13.2024", ""},
        {"", "25.12.2024", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HolidayName(c.state, std::string_view(c.date)), c.name) << c.state << c.date;
    }
}

TEST(Holidays, NamesOfSingleDays) {
    const struct {
        const char* state;
        int day;
        int month;
        int year;
        const char* name;
    } cases[] = {
        {"BY", 6, 1, 2024, "Heilige Drei Könige"},
        {"by", 6, 1, 2024, "Heilige Drei Könige"},
        {"NW", 6, 1, 2024, ""},
        {"SN", 20, 11, 2024, "Buß- und Bettag"},
        {"BY", 20, 11, 2024, ""},
        // Christi Himmelfahrt on the first of May.
        {"HE", 1, 5, 2008, "Tag der Arbeit, Christi Himmelfahrt"},
        {"BE", 8, 5, 2020, "Tag der Befreiung"},
        {"BE", 8, 5, 2021, ""},
        {"HH", 31, 10, 2017, "Reformationstag"},
        {"NW", 31, 10, 2017, "Reformationstag"},
        {"NW", 31, 10, 2018, ""},
        {"HB", 31, 10, 2016, ""},
        {"TH", 20, 9, 2018, ""},
        {"TH", 20, 9, 2019, "Weltkindertag"},
        {"MV", 8, 3, 2022, ""},
        {"MV", 8, 3, 2023, "Internationaler Frauentag"},
        {"SL", 15, 8, 2030, "Mariä Himmelfahrt"},
        {"BY", 15, 8, 2030, ""},  // only in parts of Bayern
        {"SN", 16, 6, 2022, ""},  // Fronleichnam only in parts of Sachsen
        {"BW", 25, 12, 2100, "1. Weihnachtstag"},
        // Outside the years of the table, and without a state: nothing.
        {"BW", 25, 12, 1994, ""},
        {"BW", 25, 12, 2101, ""},
        {"", 25, 12, 2024, ""},
        {"XX", 25, 12, 2024, ""},
        {"BW", 24, 12, 2024, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HolidayName(c.state, c.day, c.month, c.year), c.name)
            << c.state << " " << c.day << "." << c.month << "." << c.year;
    }
}

}  // namespace
}  // namespace kolvaro
