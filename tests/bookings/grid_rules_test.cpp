#include "bookings/grid_rules.h"

#include <gtest/gtest.h>

#include <optional>

namespace kolvaro {
namespace {

struct StyleCase {
    int column;
    int row;
    const char* text;
    std::optional<Rgb> fill;
    std::optional<Rgb> textColour;
    int alignment;
};

const StyleCase kBookingCases[] = {
    {0, 1, "", kEmptyCellFill, std::nullopt, kAlignCentre},
    {0, 1, "07:30", std::nullopt, std::nullopt, kAlignCentre},  // platform colours
    {3, 31, "16:00", std::nullopt, std::nullopt, kAlignCentre},
    {3, 31, "", kEmptyCellFill, std::nullopt, kAlignCentre},
    {4, 1, "08:00", kTagFill, std::nullopt, kAlignCentre},
    {4, 1, "", kTagFill, std::nullopt, kAlignCentre},
    {5, 1, "8:00", kSummeFill, std::nullopt, kAlignRight},
    {5, 1, "", kSummeFill, std::nullopt, kAlignRight},
    {0, 0, "Kommt", kPaleGreen, std::nullopt, kAlignCentre},
    {4, 0, "Tag", kPaleGreen, std::nullopt, kAlignCentre},
    {5, 0, "Summe", kPaleGreen, std::nullopt, kAlignCentre},
};

TEST(GridRulesTest, BookingCells) {
    for (const StyleCase& c : kBookingCases) {
        const CellStyle style = BookingCellStyle(c.column, c.row, c.text);
        EXPECT_EQ(style, (CellStyle{c.fill, c.textColour, c.alignment}))
            << c.column << "," << c.row << " '" << c.text << "'";
    }
}

const StyleCase kDateCases[] = {
    // `text` is the weekday of the row here.
    {0, 0, "", kPaleGreen, std::nullopt, kAlignLeft},
    {1, 0, "", kPaleGreen, std::nullopt, kAlignLeft},
    {0, 3, "Mo", kPaleGreen, std::nullopt, kAlignRight},
    {1, 3, "Mo", kPaleGreen, std::nullopt, kAlignCentre},
    {0, 1, "Sa", kPaleGreen, kWeekendText, kAlignRight},
    {1, 1, "Sa", kPaleGreen, kWeekendText, kAlignCentre},
    {1, 2, "So", kPaleGreen, kWeekendText, kAlignCentre},
    {1, 7, "Fr", kPaleGreen, std::nullopt, kAlignCentre},
    {1, 8, "", kPaleGreen, std::nullopt, kAlignCentre},
};

TEST(GridRulesTest, DateCells) {
    for (const StyleCase& c : kDateCases) {
        const CellStyle style = DateCellStyle(c.column, c.row, c.text);
        EXPECT_EQ(style, (CellStyle{c.fill, c.textColour, c.alignment}))
            << c.column << "," << c.row << " '" << c.text << "'";
        // A holiday's line is red like a weekend's, its alignment and fill unchanged.
        if (c.row > 0) {
            EXPECT_EQ(DateCellStyle(c.column, c.row, c.text, true),
                      (CellStyle{c.fill, kWeekendText, c.alignment}))
                << c.column << "," << c.row << " '" << c.text << "' holiday";
        }
    }
}

struct PositionCase {
    CellRect cell;
    int width;
    int height;
    int alignment;
    TextPoint at;
};

const PositionCase kPositionCases[] = {
    {{0, 0, 38, 16}, 20, 13, kAlignLeft, {2, 1}},
    {{0, 0, 38, 16}, 20, 13, kAlignRight, {16, 1}},
    {{0, 0, 38, 16}, 20, 13, kAlignCentre, {9, 2}},
    // Odd sizes: each half is divided on its own.
    {{39, 17, 77, 33}, 21, 13, kAlignCentre, {39 + 19 - 10, 17 + 8 - 6}},
    {{39, 17, 77, 33}, 21, 13, kAlignLeft, {41, 18}},
    {{39, 17, 77, 33}, 21, 13, kAlignRight, {54, 18}},
    // Text wider than the cell.
    {{0, 0, 10, 16}, 30, 13, kAlignRight, {-22, 1}},
};

TEST(GridRulesTest, TextPosition) {
    for (const PositionCase& c : kPositionCases) {
        EXPECT_EQ(CellTextPosition(c.cell, c.width, c.height, c.alignment), c.at)
            << c.cell.left << "," << c.cell.top << " align " << c.alignment;
    }
}

TEST(GridRulesTest, EditorPlacement) {
    EXPECT_EQ(CellEditorRect(0, 1, 408), (CellRect{409, 19, 447, 35}));
    EXPECT_EQ(CellEditorRect(3, 31, 408), (CellRect{526, 529, 564, 545}));
    for (int column : {0, 1, 2, 3}) {
        EXPECT_TRUE(IsEditableColumn(column));
    }
    for (int column : {-1, 4, 5}) {
        EXPECT_FALSE(IsEditableColumn(column));
    }
}

struct MoveCase {
    GridCell from;
    int rowCount;
    GridCell to;
};

const MoveCase kMoveCases[] = {
    {{0, 1}, 30, {1, 1}},   {{1, 1}, 30, {2, 1}},   {{2, 5}, 30, {3, 5}},   {{3, 5}, 30, {0, 6}},
    {{3, 28}, 30, {0, 29}}, {{3, 29}, 30, {3, 29}}, {{2, 29}, 30, {3, 29}}, {{3, 1}, 2, {3, 1}},
};

TEST(GridRulesTest, EnterMovesOn) {
    for (const MoveCase& c : kMoveCases) {
        EXPECT_EQ(NextCellAfterEnter(c.from.column, c.from.row, c.rowCount), c.to)
            << c.from.column << "," << c.from.row;
    }
}

}  // namespace
}  // namespace kolvaro
