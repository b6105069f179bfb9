#include "bookings/edit_history.h"

namespace kolvaro {

void EditHistory::Record(const CellEdit& edit) {
    if (edit.before == edit.after) {
        return;
    }
    edits_.resize(done_);
    edits_.push_back(edit);
    done_ = edits_.size();
}

bool EditHistory::Undo(CellRestore& restore) {
    if (!CanUndo()) {
        return false;
    }
    const CellEdit& edit = edits_[--done_];
    restore = {edit.row, edit.column, edit.before};
    return true;
}

bool EditHistory::Redo(CellRestore& restore) {
    if (!CanRedo()) {
        return false;
    }
    const CellEdit& edit = edits_[done_++];
    restore = {edit.row, edit.column, edit.after};
    return true;
}

void EditHistory::Reset() {
    edits_.clear();
    done_ = 0;
}

}  // namespace kolvaro
