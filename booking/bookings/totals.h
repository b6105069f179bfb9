#pragma once

// The day's working time ("Tag") and the running totals ("Summe") of the
// booking grid.

#include <string>
#include <string_view>
#include <vector>

#include "bookings/booking_day.h"

namespace kolvaro {

// The working time of one day from its four booking cells (empty text = empty
// cell), as a time of day "HH:MM". A shift or a break whose end is earlier than
// its start runs past midnight. A break longer than the counted span gives the
// magnitude of the difference. A cell that is not a valid time (only an edited
// file can hold one) stops the rule at that cell: the span reached so far is
// the result. Never throws.
std::string DayTime(std::string_view kommt, std::string_view pause1, std::string_view pause2,
                    std::string_view geht);

// Recomputes the day lines: cells[4] ("Tag") and cells[5] ("Summe", duration
// H:MM) of every entry from its cells 0 to 3. `days` holds the day lines only
// (grid rows 1 and below, not the headings). Returns the total caption, the
// total followed by one blank ("0:00 " for no days).
std::string ComputeTotals(std::vector<BookingDay>& days);

// The total caption while no time is booked.
inline constexpr std::string_view kNoTotalCaption = "0:00 ";

}  // namespace kolvaro
