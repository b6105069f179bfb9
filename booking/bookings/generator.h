#pragma once

// Random clock bookings for an employee's working days: four draws a day,
// each inside its window (arrival, start of the break, end of the break,
// leaving).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bookings/random_source.h"

namespace kolvaro {

// Earliest and latest time of one window, as the editor fields hold them.
struct BookingWindow {
    std::string von;
    std::string bis;
};

// The four booking texts of one day: Kommt, Pause, Pause, Geht; each HH:MM or empty.
using DayBookings = std::array<std::string, 4>;

// What a generation produced. `days` has one entry per day of the period,
// always, in the order given. When a bound is not a valid time, the
// generation stops at the draw that reads it: `failure` holds the message,
// the days before keep their bookings, the failing day keeps the draws made
// before it, and the later days stay empty.
struct GenerationResult {
    std::vector<DayBookings> days;
    std::optional<std::string> failure;
};

// One booking time inside the window von … bis: von plus a drawn number of
// whole minutes below the window's length, HH:MM. The latest time itself never
// comes out; equal bounds always give von. A window whose earliest time lies
// after its latest time runs past midnight (22:00 … 06:00 gives 22:00 …
// 05:59).
// Throws Failure "'%s' ist keine gültige Zeit" for a bound that is no time.
std::string DrawBookingTime(std::string_view von, std::string_view bis, RandomSource& source);

// Bookings for the days of a period. `workingDays` are the flags Mo, Di, Mi,
// Do, Fr, Sa, So; `weekdays` the abbreviations of the period's days, first day
// first; `windows` the four windows in draw order. A day is drawn when its
// abbreviation's flag is set; equal break times are both emptied (no break
// that day). A period without a working day reads no bound at all.
// `holidays`, when given, marks the days that are public holidays: they get
// no bookings, as a day the employee does not work.
GenerationResult GeneratePeriod(const std::array<bool, 7>& workingDays,
                                const std::array<BookingWindow, 4>& windows,
                                const std::vector<std::string>& weekdays, RandomSource& source,
                                const std::vector<bool>& holidays = {});

}  // namespace kolvaro
