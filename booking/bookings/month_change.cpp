#include "bookings/month_change.h"

#include "bookings/month_file.h"
#include "data/durable_file.h"
#include "data/failure.h"

namespace kolvaro {

namespace {

// The month as the log says now, with the lock held. A log that cannot be
// read cannot say whether the month was closed, nor take a line safely.
bool ClosedNow(const std::string& logPath) {
    const MonthState state = ReadMonthState(logPath);
    if (state == MonthState::Unknown) {
        Fail(kLogUnreadableMessage, logPath);
    }
    return state == MonthState::Closed;
}

// The steps of a logged change with the folder lock held: `prepare` reads
// what it needs and answers the log lines, `writeMonth` writes.
void StoreHoldingTheLock(const std::string& monthPath,
                         const std::function<std::vector<ChangeLogEntry>()>& prepare,
                         const std::function<void()>& writeMonth) {
    const std::string logPath = ChangeLogName(monthPath);
    if (ClosedNow(logPath)) {
        Fail(kMonthClosedMessage, monthPath);
    }
    const std::vector<ChangeLogEntry> entries = prepare();
    if (entries.empty()) {
        writeMonth();  // the same texts again: nothing to log
        return;
    }
    const long long before = AppendToChangeLog(logPath, entries);
    try {
        writeMonth();
    } catch (...) {
        // The log names only what the month file holds.
        TakeBackFromChangeLog(logPath, before);
        throw;
    }
}

}  // namespace

void StoreMonthChange(const std::string& monthPath, const std::vector<ChangeLogEntry>& entries,
                      const std::function<void()>& writeMonth) {
    const FolderLock turn(monthPath);
    StoreHoldingTheLock(
        monthPath, [&] { return entries; }, writeMonth);
}

SavedChange StoreLoggedCellChange(const std::string& monthPath, const MonthGrid& grid,
                                  const CellChange& change, const std::string& when,
                                  const std::string& user) {
    const FolderLock turn(monthPath);
    SavedChange saved;
    FileRead read;
    StoreHoldingTheLock(
        monthPath,
        [&] {
            read = ReadWholeFile(monthPath);
            if (read.outcome == ReadOutcome::Unreadable) {
                Fail(kUnreadableFileMessage, monthPath);
            }
            std::optional<std::string> current;
            if (read.outcome == ReadOutcome::Read) {
                current = read.bytes;
            }
            saved.month = MergeCellChange(current, grid, change);
            // A text that cannot be stored fails here, before anything is written.
            EncodeMonthLines(saved.month.lines);
            std::vector<ChangeLogEntry> entries;
            if (saved.month.before != change.text) {
                entries.push_back({when, user, grid.dateRows[change.row].date,
                                   grid.headings.cells[change.column], saved.month.before,
                                   change.text});
            }
            return entries;
        },
        [&] {
            if (saved.month.keepOriginal) {
                saved.originalCopy = KeepOriginalCopy(monthPath, read.bytes);
            }
            SaveMonthFile(monthPath, saved.month.lines);
        });
    return saved;
}

bool SetMonthClosed(const std::string& monthPath, bool closed, const std::string& when,
                    const std::string& user) {
    const std::string logPath = ChangeLogName(monthPath);
    const FolderLock turn(monthPath);
    if (ClosedNow(logPath) == closed) {
        return false;
    }
    AppendToChangeLog(logPath, {MonthStateEntry(when, user, closed)});
    return true;
}

}  // namespace kolvaro
