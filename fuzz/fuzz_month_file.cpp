// The month file parser on any bytes, against a few grids: never throws, sets
// only the rows of real days and never the heading row. A cell change applied
// to those bytes keeps every time read and writes a file that reads back the
// same. Then a month composed from the input's cells is encoded, parsed back
// and must give those cells.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bookings/month_file.h"
#include "bookings/month_merge.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/cp1252.h"
#include "fuzz_check.h"

namespace {

using kolvaro::BookingDay;
using kolvaro::DayIdentity;

std::vector<DayIdentity> Grid(const char* start, const char* end) {
    std::vector<DayIdentity> rows = {{"", "Datum"}};
    for (const DayIdentity& day : kolvaro::CheckPeriod(start, end).days) {
        rows.push_back(day);
    }
    return rows;
}

const std::vector<std::vector<DayIdentity>>& Grids() {
    static const std::vector<std::vector<DayIdentity>> grids = [] {
        std::vector<std::vector<DayIdentity>> all;
        all.push_back(Grid("01.03.2008", "31.03.2008"));  // a whole month
        all.push_back(Grid("01.02.2008", "29.02.2008"));  // February of a leap year
        all.push_back(Grid("30.12.2007", "02.01.2008"));  // four days over the new year
        all.push_back({{"", "Datum"}});                   // no day at all
        // Rows without a day, as a grid of a shorter period shows them.
        std::vector<DayIdentity> gaps = Grid("01.03.2008", "10.03.2008");
        gaps[3] = {"", ""};
        gaps.push_back({"", ""});
        all.push_back(gaps);
        return all;
    }();
    return grids;
}

// A cell as the grid may hold it: any text without ";" and line breaks, and
// without a quote, since a field in quotes reads as its content.
std::string Cell(FuzzedDataProvider& input) {
    std::string bytes = input.ConsumeRandomLengthString(12);
    for (char& c : bytes) {
        if (c == ';' || c == '\r' || c == '\n' || c == '"') {
            c = ' ';
        }
    }
    return kolvaro::Cp1252ToUtf8(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kolvaro::fuzz::Check;
    FuzzedDataProvider input(data, size);
    const auto& grids = Grids();
    const auto& rows = grids[input.ConsumeIntegralInRange<std::size_t>(0, grids.size() - 1)];

    const std::string file = input.ConsumeRandomLengthString(8192);
    const kolvaro::LoadedMonth loaded = kolvaro::ParseMonthFile(file, rows);
    Check(loaded.cells.size() == rows.size(), "one entry per grid row");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (const auto& cell : loaded.cells[r]) {
            Check(!cell || (r > 0 && !rows[r].date.empty()), "a row that is no day was set");
            Check(!cell || cell->find(';') == std::string::npos, "a cell holds a ';'", *cell);
        }
    }

    // A change applied to the file: it is in the month written, every day
    // read from the file keeps its times, and the file written reads back
    // to the same month and would be written back byte for byte.
    kolvaro::MonthGrid grid;
    grid.listEntry = Cell(input);
    grid.dateRows = rows;
    grid.headings.cells = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    if (rows.size() > 1 && kolvaro::Utf8ToCp1252(*grid.listEntry)) {
        kolvaro::CellChange change;
        change.row = input.ConsumeIntegralInRange<std::size_t>(1, rows.size() - 1);
        change.column = input.ConsumeIntegralInRange<std::size_t>(0, 3);
        change.text = kolvaro::BookingCellText(Cell(input));  // as the editor gives it
        const kolvaro::MergedMonth merged = kolvaro::MergeCellChange(file, grid, change);
        Check(merged.rows[change.row].cells[change.column] == change.text, "change lost");
        for (std::size_t r = 1; r < rows.size(); ++r) {
            for (std::size_t c = 0; c < 4; ++c) {
                if (r != change.row || c != change.column) {
                    Check(merged.rows[r].cells[c] == loaded.cells[r][c].value_or(""),
                          "a time read from the file was lost");
                }
            }
        }
        if (!rows[change.row].date.empty()) {
            const std::string written = kolvaro::EncodeMonthLines(merged.lines);
            Check(!kolvaro::MergeCellChange(written, grid, change).keepOriginal,
                  "a file written by the program would be kept as a copy");
            const kolvaro::LoadedMonth again = kolvaro::ParseMonthFile(written, rows);
            Check(again.totalCaption == merged.totalCaption, "total changes when read back");
            for (std::size_t r = 1; r < rows.size(); ++r) {
                for (std::size_t c = 0; c < 6 && !rows[r].date.empty(); ++c) {
                    Check(again.cells[r][c] == kolvaro::BookingCellText(merged.rows[r].cells[c]),
                          "cell changes when read back", merged.rows[r].cells[c]);
                }
            }
        }
    }

    // Composed, encoded and parsed again, a month gives its own cells back,
    // "Tag", "Summe" and the total computed from its times.
    std::vector<BookingDay> days(rows.size());
    days[0].cells = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            days[r].cells[c] = kolvaro::BookingCellText(Cell(input));
        }
    }
    std::vector<BookingDay> dayLines(days.begin() + 1, days.end());
    const std::string caption = kolvaro::ComputeTotals(dayLines);
    std::copy(dayLines.begin(), dayLines.end(), days.begin() + 1);
    const auto lines = kolvaro::ComposeMonthLines(Cell(input), rows, days, caption);
    const std::string bytes = kolvaro::EncodeMonthLines(lines);
    Check(kolvaro::SplitMonthFile(bytes) == lines, "lines change when encoded and split");
    const kolvaro::LoadedMonth back = kolvaro::ParseMonthFile(bytes, rows);
    bool anyDay = false;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        anyDay = anyDay || !rows[r].date.empty();
    }
    Check(back.totalCaption == (anyDay ? std::optional(caption) : std::nullopt),
          "total caption lost", caption);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 6; ++c) {
            if (rows[r].date.empty()) {
                Check(!back.cells[r][c], "a row without a day was set");
            } else {
                Check(back.cells[r][c] == days[r].cells[c], "cell lost", days[r].cells[c]);
            }
        }
    }
    return 0;
}
