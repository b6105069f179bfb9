#pragma once

// The statutory public holidays of the sixteen German states, by name, as the
// states' holiday laws stood from 1995 on. Holidays that hold only in some
// municipalities (Fronleichnam in parts of Sachsen and Thüringen, Mariä
// Himmelfahrt in parts of Bayern, the Augsburger Friedensfest) are not
// listed: the program knows the state, not the municipality.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro {

struct FederalState {
    const char* code;  // "BW", "BY", ...
    const char* name;  // "Baden-Württemberg", ... (UTF-8)
};

// The sixteen states in the order of their names.
inline constexpr std::array<FederalState, 16> kFederalStates = {{
    {"BW", "Baden-Württemberg"},
    {"BY", "Bayern"},
    {"BE", "Berlin"},
    {"BB", "Brandenburg"},
    {"HB", "Bremen"},
    {"HH", "Hamburg"},
    {"HE", "Hessen"},
    {"MV", "Mecklenburg-Vorpommern"},
    {"NI", "Niedersachsen"},
    {"NW", "Nordrhein-Westfalen"},
    {"RP", "Rheinland-Pfalz"},
    {"SL", "Saarland"},
    {"SN", "Sachsen"},
    {"ST", "Sachsen-Anhalt"},
    {"SH", "Schleswig-Holstein"},
    {"TH", "Thüringen"},
}};

// The first and the last year the holiday table covers.
inline constexpr int kFirstHolidayYear = 1995;
inline constexpr int kLastHolidayYear = 2100;

// The state a settings value names: one of the sixteen codes in any case,
// written upper case; nothing for an empty or unknown value.
std::optional<std::string> FederalStateCode(std::string_view text);

struct MonthDay {
    int month = 1;  // 1 to 12
    int day = 1;
    friend bool operator==(const MonthDay&, const MonthDay&) = default;
};

// Easter Sunday of a year in the Gregorian calendar.
MonthDay EasterSunday(int year);

struct Holiday {
    MonthDay date;
    std::string name;  // UTF-8, "Neujahr", "Karfreitag", ...
    friend bool operator==(const Holiday&, const Holiday&) = default;
};

// The public holidays of a state (a code as FederalStateCode reads it) in a
// year, in date order. Empty for an unknown state and for a year outside
// kFirstHolidayYear … kLastHolidayYear, where the table knows no law.
std::vector<Holiday> PublicHolidays(std::string_view state, int year);

// The name of the holiday on that day in that state, empty when it is none;
// two holidays on one day give both names, separated by ", ".
std::string HolidayName(std::string_view state, int day, int month, int year);

// The same for a date text "DD.MM.YYYY" as the date grid shows it; empty for
// a text that is no such date.
std::string HolidayName(std::string_view state, std::string_view date);

}  // namespace kolvaro
