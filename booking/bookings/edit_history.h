#pragma once

// The undo history of the booking grid: every change of a booking cell (a
// typed time or a deletion) in the order it was made, and how far it has been
// undone. It knows nothing of files; the window applies what it answers the
// same way as a change the user made.

#include <cstddef>
#include <string>
#include <vector>

namespace kolvaro {

// One change of one booking cell: its row (1 and up) and column (0 to 3), the
// text before and after.
struct CellEdit {
    int row = 0;
    int column = 0;
    std::string before;
    std::string after;

    friend bool operator==(const CellEdit&, const CellEdit&) = default;
};

// What an undo or redo asks the window to do: put `text` into the cell.
struct CellRestore {
    int row = 0;
    int column = 0;
    std::string text;

    friend bool operator==(const CellRestore&, const CellRestore&) = default;
};

class EditHistory {
  public:
    // A change made by the user. What was undone before it can no longer be
    // redone. A change that leaves the text as it was is not one.
    void Record(const CellEdit& edit);

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < edits_.size(); }

    // The last change not yet undone, turned back; marks it undone. Nothing
    // when there is none.
    bool Undo(CellRestore& restore);
    // The last undone change, made again; marks it done. Nothing when there is none.
    bool Redo(CellRestore& restore);

    // Another month or another employee: nothing of before can be undone.
    void Reset();

    std::size_t Size() const { return edits_.size(); }

  private:
    std::vector<CellEdit> edits_;
    std::size_t done_ = 0;  // edits_[0 .. done_) are in effect
};

}  // namespace kolvaro
