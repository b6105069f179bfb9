#pragma once

// How the date grid and the booking grid draw their cells, where the cell
// editor sits, and where Enter moves the current cell.

#include <optional>
#include <string_view>

#include "bookings/rgb.h"

namespace kolvaro {

inline constexpr Rgb kEmptyCellFill{251, 251, 251};
inline constexpr Rgb kTagFill{255, 255, 185};
inline constexpr Rgb kSummeFill{255, 255, 0};
inline constexpr Rgb kPaleGreen{236, 255, 236};
inline constexpr Rgb kWeekendText{255, 0, 0};
// The mark on a "Tag" cell whose day breaks a working-time limit (a frame) or
// has a note (a corner), drawn over the cell's own colours.
inline constexpr Rgb kLimitMark{255, 140, 0};

enum CellAlignment : int { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2 };

struct CellStyle {
    // Nothing: the cell keeps the platform's own colours (normal or selected),
    // its text colour included.
    std::optional<Rgb> fill;
    // Nothing: the grid's font colour.
    std::optional<Rgb> text;
    int alignment = kAlignCentre;
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

// A cell of the booking grid (columns 0-5: Kommt, Pause, Pause, Geht, Tag,
// Summe; row 0 the headings).
CellStyle BookingCellStyle(int column, int row, std::string_view cellText);

// A cell of the date grid (column 0 weekday, column 1 date); `weekday` is
// column 0 of the same row, so Saturday and Sunday lines are red, and so are
// the lines of public holidays.
CellStyle DateCellStyle(int column, int row, std::string_view weekday, bool holiday = false);

struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

struct TextPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TextPoint&, const TextPoint&) = default;
};

// Where a text of `width` x `height` pixels starts inside the cell for the
// alignment (0 left, 1 right, 2 centred); integer division as the grids use.
TextPoint CellTextPosition(const CellRect& cell, int width, int height, int alignment);

// The booking columns a user can edit or delete (Kommt to Geht).
bool IsEditableColumn(int column);

// The cell editor over the booking grid's cell, in the coordinates of the panel
// holding the grid: 38 x 16 pixels.
CellRect CellEditorRect(int column, int row, int gridLeft);

struct GridCell {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

// The current cell after Enter in the editor: the next time of the day, then
// Kommt of the next day; on the last day's Geht it stays.
GridCell NextCellAfterEnter(int column, int row, int rowCount);

}  // namespace kolvaro
