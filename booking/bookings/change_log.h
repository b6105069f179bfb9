#pragma once

// The change log of a month: every change that is stored into a month file,
// and every closing and reopening of the month, one line each, in a file
// beside the month file ("0007_122026.log" beside "0007_122026.csv").
// Windows-1252 with CR LF like the other files. The log is only ever
// appended to, so that what it says about the past cannot be lost by a later
// write; the month file's own format stays as it is.
//
// A line: when;who;day;column;old;new, an empty text shown as "-". Closing
// and reopening are lines of the column "Monat" with the texts "offen" and
// "abgeschlossen"; the last of them tells whether the month is closed.

#include <string>
#include <string_view>
#include <vector>

#include "data/clock.h"

namespace kolvaro {

inline constexpr std::string_view kChangeLogHeading = "Zeitpunkt;Benutzer;Tag;Spalte;Alt;Neu";
inline constexpr std::string_view kMonthColumn = "Monat";
inline constexpr std::string_view kMonthOpen = "offen";
inline constexpr std::string_view kMonthClosed = "abgeschlossen";

inline constexpr std::string_view kLogNotWrittenMessage =
    "Das Änderungsprotokoll %s kann nicht geschrieben werden. Die Änderung wurde nicht "
    "gespeichert.";
inline constexpr std::string_view kLogUnreadableMessage =
    "Das Änderungsprotokoll %s kann nicht gelesen werden. Die Änderung wurde nicht gespeichert.";
inline constexpr std::string_view kMonthClosedMessage =
    "Der Monat der Datei %s ist abgeschlossen. Die Änderung wurde nicht gespeichert.";

struct ChangeLogEntry {
    std::string when;    // "DD.MM.YYYY HH:MM:SS"
    std::string user;    // login name
    std::string day;     // the day's date DD.MM.YYYY; empty for the whole month
    std::string column;  // "Kommt", "Pause", "Geht", or "Monat"
    std::string before;
    std::string after;
};

// "0007_122026.csv" -> "0007_122026.log" (any other name gets ".log" added).
std::string ChangeLogName(std::string_view monthFilePath);

// The moment of a reading as the log writes it: "12.12.2026 14:03:07".
std::string ChangeLogTime(const ClockReading& reading);

// The login name of the user this program runs as; the user number where the
// system knows no name for it.
std::string LoginName();

// The line without its line end. A ";" or line break inside a text would
// move the fields after it; such characters are shown as blanks.
std::string ComposeChangeLogLine(const ChangeLogEntry& entry);

// The line of a closing (`closed`) or a reopening of the month.
ChangeLogEntry MonthStateEntry(std::string when, std::string user, bool closed);

// Whether the log's bytes end with the month closed: the last line of the
// column "Monat" decides; a log without one leaves the month open.
bool MonthClosedIn(std::string_view logBytes);

// What the log says of the month, read now.
enum class MonthState { Open, Closed, Unknown };
// Unknown when the log is there but cannot be read. No log: Open.
MonthState ReadMonthState(const std::string& logPath);

// Appends the lines (and, to a log that is new or empty, the heading first)
// in one write, then flushes the log to disk. Whoever calls this holds the
// folder lock. Throws Failure naming the log when it cannot be opened,
// written or flushed, or when it is read-only; a line written only in part
// is taken back, so that the log ends with a whole line. Returns the log's
// size before, for TakeBackFromChangeLog.
long long AppendToChangeLog(const std::string& logPath, const std::vector<ChangeLogEntry>& entries);

// Cuts the log back to `size`, the size AppendToChangeLog found, when the
// change it logged could not be stored after all; still under the same
// folder lock, so nobody has appended since. Best effort.
void TakeBackFromChangeLog(const std::string& logPath, long long size);

}  // namespace kolvaro
