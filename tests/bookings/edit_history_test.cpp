#include "bookings/edit_history.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kolvaro {
namespace {

// A grid of cells keyed by (row, column), fed as the window feeds the
// history: a user's change is made and recorded, an undo or redo puts back
// what the history answers.
using Cells = std::map<std::pair<int, int>, std::string>;

struct Step {
    enum Kind { Edit, Undo, Redo, Reset } kind;
    int row = 0;
    int column = 0;
    std::string text;                  // Edit: the new text ("" deletes)
    std::optional<CellRestore> gives;  // Undo, Redo: what comes back
};

Step Edit(int row, int column, std::string text) {
    return {Step::Edit, row, column, std::move(text), std::nullopt};
}
Step UndoGives(std::optional<CellRestore> restore) {
    return {Step::Undo, 0, 0, "", std::move(restore)};
}
Step RedoGives(std::optional<CellRestore> restore) {
    return {Step::Redo, 0, 0, "", std::move(restore)};
}
Step ResetHistory() {
    return {Step::Reset, 0, 0, "", std::nullopt};
}

struct Case {
    const char* name;
    std::vector<Step> steps;
    Cells end;  // the grid after the last step
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class History : public ::testing::TestWithParam<Case> {};

TEST_P(History, FollowsTheSteps) {
    EditHistory history;
    Cells cells;
    int number = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(++number));
        CellRestore restore;
        switch (step.kind) {
            case Step::Edit:
                history.Record({step.row, step.column, cells[{step.row, step.column}], step.text});
                cells[{step.row, step.column}] = step.text;
                break;
            case Step::Undo:
            case Step::Redo: {
                const bool done =
                    step.kind == Step::Undo ? history.Undo(restore) : history.Redo(restore);
                ASSERT_EQ(done, step.gives.has_value());
                if (done) {
                    EXPECT_EQ(restore, *step.gives);
                    cells[{restore.row, restore.column}] = restore.text;
                }
                break;
            }
            case Step::Reset:
                history.Reset();
                break;
        }
    }
    std::erase_if(cells, [](const auto& cell) { return cell.second.empty(); });
    EXPECT_EQ(cells, GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, History,
    ::testing::Values(
        Case{"EditEditUndoRedoDeleteUndo",
             {Edit(1, 0, "07:30"), Edit(1, 3, "16:00"), UndoGives(CellRestore{1, 3, ""}),
              RedoGives(CellRestore{1, 3, "16:00"}), Edit(1, 0, ""),
              UndoGives(CellRestore{1, 0, "07:30"})},
             {{{1, 0}, "07:30"}, {{1, 3}, "16:00"}}},
        Case{"UndoEverythingThenNothingMore",
             {Edit(2, 1, "12:00"), Edit(2, 1, "12:15"), UndoGives(CellRestore{2, 1, "12:00"}),
              UndoGives(CellRestore{2, 1, ""}), UndoGives(std::nullopt)},
             {}},
        Case{"RedoEverythingThenNothingMore",
             {Edit(3, 0, "08:00"), Edit(3, 3, "17:00"), UndoGives(CellRestore{3, 3, ""}),
              UndoGives(CellRestore{3, 0, ""}), RedoGives(CellRestore{3, 0, "08:00"}),
              RedoGives(CellRestore{3, 3, "17:00"}), RedoGives(std::nullopt)},
             {{{3, 0}, "08:00"}, {{3, 3}, "17:00"}}},
        Case{"NewEditDropsWhatWasUndone",
             {Edit(1, 0, "07:00"), Edit(1, 1, "12:00"), UndoGives(CellRestore{1, 1, ""}),
              Edit(1, 2, "12:30"), RedoGives(std::nullopt), UndoGives(CellRestore{1, 2, ""}),
              UndoGives(CellRestore{1, 0, ""})},
             {}},
        Case{"SameTextAgainIsNoStep",
             {Edit(1, 0, "07:00"), Edit(1, 0, "07:00"), UndoGives(CellRestore{1, 0, ""}),
              UndoGives(std::nullopt)},
             {}},
        Case{"DeletingAnEmptyCellIsNoStep", {Edit(4, 3, ""), UndoGives(std::nullopt)}, {}},
        Case{"AnotherMonthStartsANewHistory",
             {Edit(1, 0, "07:00"), Edit(1, 3, "15:00"), UndoGives(CellRestore{1, 3, ""}),
              ResetHistory(), UndoGives(std::nullopt), RedoGives(std::nullopt), Edit(5, 0, "09:00"),
              UndoGives(CellRestore{5, 0, ""}), UndoGives(std::nullopt)},
             {{{1, 0}, "07:00"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolvaro
