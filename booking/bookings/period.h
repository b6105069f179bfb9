#pragma once

// The period of the booking grid: which days it shows, the whole-month period
// of journal mode, and which edited times the grid takes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bookings/booking_day.h"

namespace kolvaro {

inline constexpr std::string_view kPeriodTooLong = "Zeitraum darf nicht größer als 31 Tage sein!";
inline constexpr std::string_view kPeriodInvalid = "Bitte gültigen Zeitraum eingeben!";

enum class PeriodOutcome {
    Accepted,        // 1 to 31 days: `days` holds them
    Unreadable,      // a date is empty or not a date: no message, buttons unchanged
    TooLong,         // more than 31 days: `message` is kPeriodTooLong
    EndBeforeStart,  // `message` is kPeriodInvalid
};

struct PeriodCheck {
    PeriodOutcome outcome = PeriodOutcome::Unreadable;
    std::vector<DayIdentity> days;  // one per day, start first (grid rows 1, 2, ...)
    std::string message;            // shown in generation mode only, empty otherwise
};

// The period from the start and end date texts (start and end included).
PeriodCheck CheckPeriod(std::string_view start, std::string_view end);

struct MonthPeriod {
    std::string start;  // "01.MM.<year text>"
    std::string end;    // "<days>.MM.<year text>"
};

// The whole month `month` (1 = Januar) of the year text as the year field
// shows it. Throws Failure when the year text is not a number, and
// std::invalid_argument for a month outside 1..12.
MonthPeriod MonthDates(int month, std::string_view yearText);

// The time the cell editor's text stands for, as "HH:MM" to write into the
// cell, or nothing when the text is not a time of day (hours 0-23, minutes
// 0-59). Unfilled mask positions read as blanks, so "07:3 " is 07:03 and
// "07:  " or "  :  " is no time.
std::optional<std::string> AcceptEditedTime(std::string_view editorText);

}  // namespace kolvaro
