#include "bookings/month_change.h"

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

}  // namespace

void StoreMonthChange(const std::string& monthPath, const std::vector<ChangeLogEntry>& entries,
                      const std::function<void()>& writeMonth) {
    const std::string logPath = ChangeLogName(monthPath);
    const FolderLock turn(monthPath);
    if (ClosedNow(logPath)) {
        Fail(kMonthClosedMessage, monthPath);
    }
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
