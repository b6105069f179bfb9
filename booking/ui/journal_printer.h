#pragma once

// The printed monthly journal on a Qt paint device: the text measurements the
// page layout needs, and the replay of its drawing operations on a painter.

#include <QFont>
#include <vector>

#include "bookings/journal_page.h"

class QPainter;
class QPaintDevice;

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
