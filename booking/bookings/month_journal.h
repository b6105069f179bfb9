#pragma once

// The month-end run: every employee's journal of one month, one page each,
// drawn from the month files rather than from the window. What a page shows
// is built here; the window only feeds the run and draws the pages.

#include <string>
#include <string_view>
#include <vector>

#include "bookings/booking_day.h"
#include "bookings/journal_page.h"

namespace kolvaro {

// The page of one employee's month as the window shows it after choosing that
// employee: the day lines of `frame` (weekday and date set, the cells empty)
// filled from the month file with the same parsing the window uses, "Tag",
// "Summe" and the total recomputed from the times, and the remarks of each
// day (the holiday of `federalState`, empty for none, and the working-time
// limits the day breaks) worked out as the window works them out. Everything
// else (period, headings, stamp, page size) comes from `frame` as it is.
JournalInput MonthJournal(const JournalInput& frame, std::string_view employee,
                          std::string_view monthFileBytes, std::string_view federalState = {});

// The day lines of a period, with the weekday and the date and empty cells.
std::vector<JournalLine> EmptyJournalLines(const std::vector<DayIdentity>& days);

// The list entry with the blanks between number and name closed up to one:
// "0007        Meier" -> "0007 Meier".
std::string ShortEntry(std::string_view entry);

// "Journal 12 von 48: 0007 Meier": the place of the employee in the list and
// its short entry.
std::string MonthEndProgressText(int position, int count, std::string_view entry);

// The tally of a run, for the one message at its end.
struct MonthEndTally {
    int pages = 0;                        // pages printed or written
    int missing = 0;                      // employees without a month file
    std::vector<std::string> unreadable;  // short entries whose month file could not be read
    bool cancelled = false;
    bool toFile = false;  // a PDF file rather than a printer
    std::string file;     // the PDF file, when one was written
};

// The message at the end of a run, one statement a line.
std::string MonthEndMessage(const MonthEndTally& tally);

}  // namespace kolvaro
