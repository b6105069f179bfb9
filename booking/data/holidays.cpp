#include "holidays.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kolvaro {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

sys_days DayOf(int year, int month, int day) {
    return sys_days{std::chrono::year{year} / month / day};
}

MonthDay MonthDayOf(sys_days date) {
    const std::chrono::year_month_day ymd{date};
    return {static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

bool In(std::string_view state, std::initializer_list<std::string_view> states) {
    return std::find(states.begin(), states.end(), state) != states.end();
}

}  // namespace

std::optional<std::string> FederalStateCode(std::string_view text) {
    if (text.size() != 2) {
        return std::nullopt;
    }
    std::string code(text);
    for (char& c : code) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    for (const FederalState& state : kFederalStates) {
        if (code == state.code) {
            return code;
        }
    }
    return std::nullopt;
}

MonthDay EasterSunday(int year) {
    // The Gregorian computus in the anonymous form (Meeus/Jones/Butcher).
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return {month, day};
}

std::vector<Holiday> PublicHolidays(std::string_view stateText, int year) {
    std::vector<Holiday> holidays;
    const std::optional<std::string> code = FederalStateCode(stateText);
    if (!code || year < kFirstHolidayYear || year > kLastHolidayYear) {
        return holidays;
    }
    const std::string_view state = *code;
    const auto add = [&](sys_days date, const char* name) {
        holidays.push_back({MonthDayOf(date), name});
    };
    const MonthDay easterDay = EasterSunday(year);
    const sys_days easter = DayOf(year, easterDay.month, easterDay.day);

    add(DayOf(year, 1, 1), "Neujahr");
    if (In(state, {"BW", "BY", "ST"})) {
        add(DayOf(year, 1, 6), "Heilige Drei Könige");
    }
    if ((state == "BE" && year >= 2019) || (state == "MV" && year >= 2023)) {
        add(DayOf(year, 3, 8), "Internationaler Frauentag");
    }
    add(easter - days{2}, "Karfreitag");
    // Brandenburg's law names the two Sundays as well.
    if (state == "BB") {
        add(easter, "Ostersonntag");
    }
    add(easter + days{1}, "Ostermontag");
    add(DayOf(year, 5, 1), "Tag der Arbeit");
    // Berlin made the 75th and the 80th anniversary of the end of the war a holiday, once each.
    if (state == "BE" && (year == 2020 || year == 2025)) {
        add(DayOf(year, 5, 8), "Tag der Befreiung");
    }
    add(easter + days{39}, "Christi Himmelfahrt");
    if (state == "BB") {
        add(easter + days{49}, "Pfingstsonntag");
    }
    add(easter + days{50}, "Pfingstmontag");
    if (In(state, {"BW", "BY", "HE", "NW", "RP", "SL"})) {
        add(easter + days{60}, "Fronleichnam");
    }
    if (state == "SL") {
        add(DayOf(year, 8, 15), "Mariä Himmelfahrt");
    }
    if (state == "TH" && year >= 2019) {
        add(DayOf(year, 9, 20), "Weltkindertag");
    }
    add(DayOf(year, 10, 3), "Tag der Deutschen Einheit");
    // 2017, the 500th year of the Reformation, everywhere once; four northern
    // states kept it from 2018.
    if (In(state, {"BB", "MV", "SN", "ST", "TH"}) || year == 2017 ||
        (In(state, {"HB", "HH", "NI", "SH"}) && year >= 2018)) {
        add(DayOf(year, 10, 31), "Reformationstag");
    }
    if (In(state, {"BW", "BY", "NW", "RP", "SL"})) {
        add(DayOf(year, 11, 1), "Allerheiligen");
    }
    if (state == "SN") {
        // The Wednesday before 23 November: the one between the 16th and the 22nd.
        const sys_days the22nd = DayOf(year, 11, 22);
        const unsigned back = (std::chrono::weekday{the22nd}.c_encoding() + 7 - 3) % 7;
        add(the22nd - days{back}, "Buß- und Bettag");
    }
    add(DayOf(year, 12, 25), "1. Weihnachtstag");
    add(DayOf(year, 12, 26), "2. Weihnachtstag");
    // Christi Himmelfahrt comes before the first of May when Easter is early.
    std::stable_sort(holidays.begin(), holidays.end(), [](const Holiday& a, const Holiday& b) {
        return std::pair(a.date.month, a.date.day) < std::pair(b.date.month, b.date.day);
    });
    return holidays;
}

std::string HolidayName(std::string_view state, int day, int month, int year) {
    // Two holidays may fall on one day (Christi Himmelfahrt on the first of
    // May in 2008): both names are given.
    std::string names;
    for (const Holiday& holiday : PublicHolidays(state, year)) {
        if (holiday.date == MonthDay{month, day}) {
            names += names.empty() ? holiday.name : ", " + holiday.name;
        }
    }
    return names;
}

std::string HolidayName(std::string_view state, std::string_view date) {
    if (date.size() != 10 || date[2] != '.' || date[5] != '.') {
        return {};
    }
    const auto number = [&](std::size_t from, std::size_t length) {
        int value = 0;
        for (std::size_t i = from; i < from + length; ++i) {
            if (date[i] < '0' || date[i] > '9') {
                return -1;
            }
            value = value * 10 + (date[i] - '0');
        }
        return value;
    };
    const int day = number(0, 2);
    const int month = number(3, 2);
    const int year = number(6, 4);
    if (day < 1 || month < 1 || month > 12 || year < 0) {
        return {};
    }
    return HolidayName(state, day, month, year);
}

}  // namespace kolvaro
