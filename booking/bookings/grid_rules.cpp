#include "bookings/grid_rules.h"

namespace kolvaro {

namespace {

constexpr int kRowPitch = 17;     // row height 16 plus one grid line
constexpr int kColumnPitch = 39;  // column width 38 plus one grid line
constexpr int kEditorWidth = 38;
constexpr int kEditorHeight = 16;

}  // namespace

CellStyle BookingCellStyle(int column, int row, std::string_view cellText) {
    CellStyle style;
    // The last matching rule wins.
    if (cellText.empty()) {
        style.fill = kEmptyCellFill;
    }
    if (column == 4) {
        style.fill = kTagFill;
    }
    if (column == 5) {
        style.fill = kSummeFill;
    }
    if (row == 0) {
        style.fill = kPaleGreen;
    }
    style.alignment = column == 5 && row > 0 ? kAlignRight : kAlignCentre;
    return style;
}

CellStyle DateCellStyle(int column, int row, std::string_view weekday, bool holiday) {
    CellStyle style;
    style.fill = kPaleGreen;
    if (weekday == "Sa" || weekday == "So" || (holiday && row > 0)) {
        style.text = kWeekendText;
    }
    if (row == 0) {
        style.alignment = kAlignLeft;
    } else {
        style.alignment = column == 0 ? kAlignRight : kAlignCentre;
    }
    return style;
}

TextPoint CellTextPosition(const CellRect& cell, int width, int height, int alignment) {
    switch (alignment) {
        case kAlignLeft:
            return {cell.left + 2, (cell.top + cell.bottom - height) / 2};
        case kAlignRight:
            return {cell.right - width - 2, (cell.top + cell.bottom - height) / 2};
        default:
            return {cell.left + (cell.right - cell.left) / 2 - width / 2,
                    cell.top + (cell.bottom - cell.top) / 2 - height / 2};
    }
}

bool IsEditableColumn(int column) {
    return column >= 0 && column <= 3;
}

CellRect CellEditorRect(int column, int row, int gridLeft) {
    const int top = row * kRowPitch + 2;
    const int left = column * kColumnPitch + gridLeft + 1;
    return {left, top, left + kEditorWidth, top + kEditorHeight};
}

GridCell NextCellAfterEnter(int column, int row, int rowCount) {
    if (column < 3) {
        return {column + 1, row};
    }
    if (row < rowCount - 1) {
        return {0, row + 1};
    }
    return {column, row};
}

}  // namespace kolvaro
