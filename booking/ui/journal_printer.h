#pragma once

// The printed monthly journal on a Qt paint device: the text measurements the
// page layout needs, and the replay of its drawing operations on a painter.

#include <QFont>
#include <vector>

#include "bookings/journal_page.h"

class QPainter;
class QPaintDevice;
class QPrinter;

// Arial in the size and weight given. Where Arial itself is not installed the
// font configuration gives a metric-compatible face (Liberation Sans).
QFont JournalFont(const kolvaro::JournalFont& font);

// Measures in the pixels of the device the page is printed on.
class DeviceJournalMeasurer : public kolvaro::JournalMeasurer {
  public:
    explicit DeviceJournalMeasurer(QPaintDevice* device) : device_(device) {}

    int TextWidth(const kolvaro::JournalFont& font, std::string_view text) const override;
    // The full height of a line of Arial 11 pt, as a text "H" takes it up.
    int LineHeight() const override;

  private:
    QPaintDevice* device_;
};

// Draws the operations in their order: texts black on an opaque background,
// rectangles framed and filled, lines with the pen given.
void RenderJournal(QPainter& painter, const std::vector<kolvaro::DrawOp>& ops);

// A4, portrait: the page every journal is laid out for, on paper and in a PDF
// file alike. The printer is made with QPrinter::HighResolution.
void SetUpJournalPrinter(QPrinter& printer);

// Starts the document on `printer`. The page is laid out for portrait; the
// printable area is measured after the orientation is set, so that a
// landscape choice cannot widen it. A PDF file that cannot be made fails with
// the file's name, anything else as a printer that is not ready.
void BeginJournalDocument(QPainter& painter, QPrinter& printer);

// Ends the document; a printer or file that failed on the way is reported.
void EndJournalDocument(QPainter& painter, QPrinter& printer);

// The one page function of every journal: `input` laid out for the printable
// area of `printer` and drawn with `painter`, which is active on it. The
// single printout, its PDF and the month-end run all draw through it.
void DrawJournalPage(QPainter& painter, QPrinter& printer, kolvaro::JournalInput input);
