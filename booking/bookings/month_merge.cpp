#include "bookings/month_merge.h"

#include <algorithm>
#include <stdexcept>

#include "bookings/month_file.h"
#include "bookings/totals.h"
#include "data/durable_file.h"
#include "data/failure.h"

namespace kolvaro {

namespace {

// Copies beyond this many mean something keeps rewriting the file in a form
// of its own; the user has to look at them before more are made.
constexpr int kMostCopies = 99;

// The month's day rows as read from `current`, only the times taken.
std::vector<BookingDay> DaysOf(const std::optional<std::string>& current, const MonthGrid& grid) {
    std::vector<BookingDay> rows(grid.dateRows.size());
    if (!rows.empty()) {
        rows[0] = grid.headings;
    }
    if (!current) {
        return rows;
    }
    const LoadedMonth loaded = ParseMonthFile(*current, grid.dateRows);
    for (std::size_t row = 1; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < 4; ++column) {
            rows[row].cells[column] = loaded.cells[row][column].value_or(std::string());
        }
    }
    return rows;
}

// Computes "Tag" and "Summe" of the day rows; returns the total caption.
std::string Recompute(std::vector<BookingDay>& rows) {
    if (rows.empty()) {
        return ComputeTotals(rows);
    }
    std::vector<BookingDay> days(rows.begin() + 1, rows.end());
    const std::string caption = ComputeTotals(days);
    std::copy(days.begin(), days.end(), rows.begin() + 1);
    return caption;
}

}  // namespace

MergedMonth MergeCellChange(const std::optional<std::string>& current, const MonthGrid& grid,
                            const CellChange& change) {
    if (change.row == 0 || change.row >= grid.dateRows.size() || change.column > 3) {
        throw std::invalid_argument("no booking cell of a day row");
    }
    MergedMonth merged;
    merged.rows = DaysOf(current, grid);

    if (current) {
        // What this program makes of the file, written back unchanged: a file
        // it wrote itself comes out byte for byte.
        std::vector<BookingDay> asRead = merged.rows;
        const std::string caption = Recompute(asRead);
        const auto lines = ComposeMonthLines(grid.listEntry, grid.dateRows, asRead, caption);
        const std::optional<std::string> again = [&]() -> std::optional<std::string> {
            try {
                return EncodeMonthLines(lines);
            } catch (const Failure&) {
                return std::nullopt;  // fails again below, before anything is written
            }
        }();
        merged.keepOriginal = again != current;
    }

    merged.before = merged.rows[change.row].cells[change.column];
    merged.rows[change.row].cells[change.column] = change.text;
    merged.totalCaption = Recompute(merged.rows);
    merged.lines =
        ComposeMonthLines(grid.listEntry, grid.dateRows, merged.rows, merged.totalCaption);
    return merged;
}

std::optional<std::string> KeepOriginalCopy(const std::string& path, std::string_view bytes) {
    std::string copy;
    for (int number = 1; number <= kMostCopies; ++number) {
        copy = path + ".bak" + (number == 1 ? std::string() : std::to_string(number));
        const FileRead there = ReadWholeFile(copy);
        if (there.outcome == ReadOutcome::Read && there.bytes == bytes) {
            return std::nullopt;  // kept already
        }
        if (there.outcome == ReadOutcome::Missing) {
            if (!WriteFileDurably(copy, bytes)) {
                Fail(kCannotCreateMessage, copy);
            }
            return copy;
        }
        // Another original, or something that cannot be read: left as it is.
    }
    Fail(kCannotCreateMessage, copy);
}

std::string OriginalKeptMessage(std::string_view path, std::string_view copy) {
    return "Die Monatsdatei " + std::string(path) +
           " war von einem anderen Programm in einer Form gespeichert, die Kolvaro nicht "
           "unverändert zurückschreiben kann. Die ursprüngliche Datei wurde als " +
           std::string(copy) + " aufbewahrt.";
}

}  // namespace kolvaro
