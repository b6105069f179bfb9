#pragma once

// Storing a change of a month in journal mode: under the folder lock, the
// month is checked to be open, the change goes into the month's change log,
// and only then is the month file written. So the log holds every change the
// month file ever received, also when two programs work on the same folder,
// and a month that one of them closed takes no change from the other.

#include <functional>
#include <string>
#include <vector>

#include "bookings/change_log.h"
#include "bookings/month_merge.h"

namespace kolvaro {

// Stores one change of the month file at `monthPath`: `entries` are its log
// lines, `writeMonth` writes the month file (without taking the folder lock,
// which is held already) and throws Failure when it cannot. Throws Failure
// and stores nothing when the lock is not had in time, the log cannot be read
// or written, or the month is closed. When the month file cannot be written
// after the lines were logged, they are taken back and the failure passes on.
// Without entries (a cell given the text it had) only the month file is written.
void StoreMonthChange(const std::string& monthPath, const std::vector<ChangeLogEntry>& entries,
                      const std::function<void()>& writeMonth);

// One change of a booking cell in the shown month, stored: under the folder
// lock the month file is read as it is now, the change applied to it
// (MergeCellChange), its log line written (the cell's text in the file
// before, the new text; none when they are the same), and then the original
// kept where needed and the month file written. Throws Failure and stores
// nothing as StoreMonthChange does, and also when the month file is there
// but cannot be read.
SavedChange StoreLoggedCellChange(const std::string& monthPath, const MonthGrid& grid,
                                  const CellChange& change, const std::string& when,
                                  const std::string& user);

// Closes (`closed`) or reopens the month of the file at `monthPath` by a line
// in its log. False when it was so already (another program did it
// meanwhile) and nothing was written. Throws Failure as StoreMonthChange does.
bool SetMonthClosed(const std::string& monthPath, bool closed, const std::string& when,
                    const std::string& user);

}  // namespace kolvaro
