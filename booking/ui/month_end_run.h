#pragma once

// The month-end run: one journal page per employee of the list for one
// month, as one document on a printer or in a PDF file. It holds one
// employee's month at a time, however long the list.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "bookings/journal_page.h"
#include "bookings/month_journal.h"

class QPrinter;

struct MonthEndJob {
    std::string programDirectory;      // holds the month files
    std::string endDate;               // DD.MM.YYYY, names the month files
    std::vector<std::string> entries;  // the employee list as listed, in its order
    // What every page shares: period, headings, print stamp, and one line per
    // day with weekday and date.
    kolvaro::JournalInput frame;
    // The state whose holidays the remarks name; empty for none.
    std::string federalState;
};

// Called before each employee with its place in the list (from 1), the list's
// length and the progress text; false stops the run before that employee.
using MonthEndProgress = std::function<bool(int position, int count, const QString& text)>;

// One journal page as the PDF file `path` with the document title `title`,
// the page that printing it would make. The file appears whole or not at all.
void WriteJournalPdf(const QString& path, const kolvaro::JournalInput& input, const QString& title);

// Prints the pages on `printer` as it is set up (a printer, or the PDF file
// the print dialog chose, written in place). The document is begun at the
// first page: a run without pages prints nothing. A stopped run ends the
// document with the pages printed so far.
kolvaro::MonthEndTally RunMonthEnd(const MonthEndJob& job, QPrinter& printer,
                                   const MonthEndProgress& progress);

// The same into the PDF file `path`, which appears only when the run
// finished with at least one page; a stopped run leaves no file and the
// former file as it was. The printer's output file is set for the run and
// given back afterwards.
kolvaro::MonthEndTally RunMonthEndToPdf(const MonthEndJob& job, QPrinter& printer,
                                        const QString& path, const MonthEndProgress& progress);
