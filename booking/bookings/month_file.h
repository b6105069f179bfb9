#pragma once

// The month file: one employee's bookings for one month, a semicolon-separated
// Windows-1252 text file in the program directory, rewritten as a whole after
// every change in journal mode.
//
// Grid rows are passed as the window holds them: index 0 is the heading row,
// index r the r-th day of the period. `dateRows` is the date grid (weekday,
// date), `bookingRows` the booking grid (Kommt ... Summe); both have the same
// number of rows.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bookings/booking_day.h"

namespace kolvaro {

inline constexpr std::string_view kListIndexMessage =
    "Listenindex außerhalb des zulässigen Bereichs";
inline constexpr std::string_view kCannotCreateMessage = "Datei %s kann nicht erstellt werden";
// Said when a month is shown whose file is there but cannot be read: the
// empty grid must not look like a month without bookings.
inline constexpr std::string_view kUnreadableMonthMessage =
    "Die Monatsdatei %s kann nicht gelesen werden. Der Monat wird leer angezeigt, und eine "
    "Änderung wird nicht gespeichert, solange die Datei nicht gelesen werden kann.";

// programDirectory + "/" + number + "_" + MM + YYYY + ".csv", MM and YYYY being
// characters 4-5 and 7-10 of the end date text (whatever of them there is).
// "0007", "29.02.2008" -> "<dir>/0007_022008.csv".
std::string MonthFileName(std::string_view programDirectory, std::string_view number,
                          std::string_view endDate);

// The file's lines (without line ends): ";" + list entry, empty line, the
// heading and day lines, empty line, ";;;;;;Summe:;" + caption + ";", two
// empty lines and the publisher line. `listEntry` is the entry selected in the
// employee list; without one (nothing selected) composing fails with
// Failure(kListIndexMessage). A text holding a line break fails with a
// Failure, since it would move every line after it.
std::vector<std::string> ComposeMonthLines(const std::optional<std::string>& listEntry,
                                           const std::vector<DayIdentity>& dateRows,
                                           const std::vector<BookingDay>& bookingRows,
                                           std::string_view totalCaption);

// The lines as Windows-1252 bytes, CR LF after every line, the last one too.
// Throws Failure naming the text when a character has no Windows-1252 form.
std::string EncodeMonthLines(const std::vector<std::string>& lines);

// Encodes and writes the lines to `path`, replacing a former file as a whole.
// Throws Failure("Datei <path> kann nicht erstellt werden") when the file
// cannot be written, and the unreadable-file message when a file is there
// that cannot be read; the former file then stays as it was. Nothing is
// written when the text cannot be encoded.
void SaveMonthFile(const std::string& path, const std::vector<std::string>& lines);

// The file's lines as UTF-8. Lines end at CR LF, a lone CR or a lone LF; a
// final line end adds no empty line.
std::vector<std::string> SplitMonthFile(std::string_view bytes);

struct LoadedMonth {
    // One entry per grid row (index as in `dateRows`; row 0 is never set). A
    // cell that holds a value is set to it (an empty value empties the cell);
    // a cell without one keeps what the grid shows.
    std::vector<std::array<std::optional<std::string>, 6>> cells;
    // The total caption, computed from the times read.
    std::optional<std::string> totalCaption;
};

// What the file's lines set in the grid. A day line is found by its weekday
// and date wherever it stands, the first one of a day counting; its fields
// may be separated by ";" or (in a line without ";") by ",", stand in double
// quotes, lack the separator after the last one; its date may be written
// without leading zeros or with a two-digit year (then the year of the row).
// A found day sets the four times (a missing field empties the cell, a time
// with seconds "07:30:00" reads as "07:30"). When any day was found, "Tag",
// "Summe" of every day row and the total are computed from the times, never
// taken from the file. Never throws; takes time linear in the size of the
// lines.
LoadedMonth ParseMonthLines(const std::vector<std::string>& lines,
                            const std::vector<DayIdentity>& dateRows);

// The text of a booking cell from a day line's field: a time with seconds
// whose seconds are zero ("7:30:00") as the program writes times ("07:30"),
// anything else as it stands.
std::string BookingCellText(std::string_view field);

// The same from the file's bytes.
LoadedMonth ParseMonthFile(std::string_view bytes, const std::vector<DayIdentity>& dateRows);

}  // namespace kolvaro
