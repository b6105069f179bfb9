#pragma once

// The printed monthly journal ("MONATSJOURNAL") as a list of drawing
// operations in device pixels, so that its layout can be checked without a
// printer. The window replays the list on the printer's canvas.

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bookings/booking_day.h"
#include "bookings/rgb.h"

namespace kolvaro {

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kSilver{192, 192, 192};

// Always Arial (or a metric-compatible sans-serif).
struct JournalFont {
    int pointSize;
    bool bold;
    bool operator==(const JournalFont&) const = default;
};

// A black text with its top-left corner at (x, y) on an opaque background.
struct TextOp {
    std::string text;
    JournalFont font;
    int x;
    int y;
    Rgb background;
};

// A rectangle framed with the pen and filled.
struct RectOp {
    int left;
    int top;
    int right;
    int bottom;
    Rgb pen;
    Rgb fill;
    int penWidth;
};

// A straight line from (x1, y1) to (x2, y2).
struct LineOp {
    int x1;
    int y1;
    int x2;
    int y2;
    Rgb pen;
    int penWidth;
};

using DrawOp = std::variant<TextOp, RectOp, LineOp>;

inline constexpr int kJournalPenWidth = 4;
// The remarks of a day are printed smaller than the times, to fit more.
inline constexpr JournalFont kRemarksFont{8, false};

// What the page needs from the printer: text widths, and the line pitch H.
class JournalMeasurer {
  public:
    virtual ~JournalMeasurer() = default;
    virtual int TextWidth(const JournalFont& font, std::string_view text) const = 0;
    // The height of "H" in Arial 11 pt.
    virtual int LineHeight() const = 0;
};

struct JournalLine {
    DayIdentity identity;
    BookingDay booking;
    // What the remarks column says about the day (a holiday's name, the
    // working-time limits it breaks); cut to the column's width. Empty
    // leaves the column free for handwritten notes.
    std::string remarks;
};

struct JournalInput {
    std::string dateFrom;                 // DD.MM.YYYY
    std::string dateTo;                   // DD.MM.YYYY
    std::string employee;                 // the employee list entry as listed
    std::string printDate;                // DD.MM.YYYY
    std::string printTime;                // HH:MM
    std::array<std::string, 6> headings;  // Kommt, Pause, Pause, Geht, Tag, Summe
    std::vector<JournalLine> lines;       // one per day of the period
    std::string totalCaption;             // the total panel's caption, "H:MM "
    int pageWidth = 0;                    // printable width PW
    int pageHeight = 0;                   // printable height PH
};

// The page in drawing order: title frame and texts, headings and their rules,
// one line per day with its rules (and its remarks, when it has any), the total line with the
// closing rule, the footer bar with the publisher line and "created by Kolvaro".
std::vector<DrawOp> JournalPage(const JournalInput& input, const JournalMeasurer& measurer);

}  // namespace kolvaro
