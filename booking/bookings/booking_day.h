#pragma once

// One day line of a booking grid and the weekday/date pair that names it.
// Both grids of the main window (columns Kommt, Pause, Pause, Geht, Tag, Summe)
// and the month file, the generator, the export and the printed journal share these.

#include <array>
#include <string>

namespace kolvaro {

// The six cell texts of one day line: Kommt, Pause, Pause, Geht, Tag, Summe.
// An empty text is an empty cell.
struct BookingDay {
    std::array<std::string, 6> cells;
};

// The weekday ("Mo", "Di", ...) and the date ("DD.MM.YYYY") of one day line.
struct DayIdentity {
    std::string weekday;
    std::string date;
};

}  // namespace kolvaro
