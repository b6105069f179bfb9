#pragma once

// One change of a booking cell, applied to the month file as it is at that
// moment rather than to the grid of this window: another program (a second
// Kolvaro on the shared folder) may have written other days of the same
// month since this one loaded it, and writing the whole grid would undo them.
//
// The window feeds in the grid's identity and the one change, writes what
// comes back and shows the month that was written.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bookings/booking_day.h"

namespace kolvaro {

// What names the month shown, as the window holds it.
struct MonthGrid {
    // The entry selected in the employee list, for the file's first line;
    // none while nothing is selected (then nothing can be written).
    std::optional<std::string> listEntry;
    // The date grid, row 0 the headings, row r the r-th day.
    std::vector<DayIdentity> dateRows;
    // The booking grid's heading row.
    BookingDay headings;
};

// A typed time or a deletion (empty text) in one of the columns Kommt to Geht.
struct CellChange {
    std::size_t row = 0;  // a day row, 1 and up
    std::size_t column = 0;
    std::string text;
};

struct MergedMonth {
    // The changed cell's text as the file held it (empty without a file).
    std::string before;
    // Every grid row as written, row 0 the headings, "Tag" and "Summe" computed.
    std::vector<BookingDay> rows;
    std::string totalCaption;
    // The file's lines to write.
    std::vector<std::string> lines;
    // The file there holds bytes that this program would not write back the
    // same from what it read (lines it could not place, an extra column, a
    // spreadsheet's separators, another name line): the original must be
    // kept before the file is rewritten.
    bool keepOriginal = false;
};

// The month file's current bytes (none when there is no file) with the change
// applied and the totals computed from the times. Throws Failure when the
// month cannot be composed (no employee selected, a line break in a text) and
// std::invalid_argument for a change outside the day rows and booking columns.
MergedMonth MergeCellChange(const std::optional<std::string>& current, const MonthGrid& grid,
                            const CellChange& change);

// Keeps `bytes`, the month file's original, beside it: in "<path>.bak", or
// where that holds another original already, in "<path>.bak2", "<path>.bak3"
// and so on, written whole or not at all. Nothing is written when one of them
// holds these very bytes. Returns the path of the copy made. Throws Failure
// when no copy can be written.
std::optional<std::string> KeepOriginalCopy(const std::string& path, std::string_view bytes);

struct SavedChange {
    MergedMonth month;                        // what was written
    std::optional<std::string> originalCopy;  // the copy made of the original
};

// The message that tells the user where the original was kept.
std::string OriginalKeptMessage(std::string_view path, std::string_view copy);

}  // namespace kolvaro
