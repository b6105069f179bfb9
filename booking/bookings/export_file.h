#pragma once

// The export file "DADuzo.buc" that the time-recording system imports: one
// 81-byte record per booking, all records in one run, then CR LF.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro {

inline constexpr std::string_view kExportFileName = "DADuzo.buc";
inline constexpr std::size_t kExportRecordLength = 81;

// One day line of the grid: its date (DD.MM.YYYY) and the four booking
// texts Kommt, Pause, Pause, Geht (HH:MM or empty).
struct ExportRow {
    std::string date;
    std::array<std::string, 4> bookings;
};

// One record for the booking `time` (HH:MM) on `date` (DD.MM.YYYY) in booking
// column `column` (0 … 3), always exactly 81 bytes: every field is copied
// character by character, padded with blanks or cut to its width.
std::string ExportRecord(std::string_view employeeNumber, std::string_view date,
                         std::string_view time, int column);

// The whole file: a record for every non-empty booking, day by day and within a
// day Kommt, Pause, Pause, Geht, then CR LF.
std::string ExportBytes(std::string_view employeeNumber, const std::vector<ExportRow>& rows);

// exportDirectory + "DADuzo.buc"; the directory ends in "/".
std::string ExportPath(std::string_view exportDirectory);

// Replaces the export file in `exportDirectory` with `bytes`. Throws Failure
// "Datei %s kann nicht erstellt werden" with the full path; the former file
// then stays as it was.
void WriteExportFile(std::string_view exportDirectory, std::string_view bytes);

// The export directory as typed by the user, with "/" appended unless it ends
// in one (an empty entry becomes "/").
std::string ExportDirectoryFromEntry(std::string_view entry);

}  // namespace kolvaro
