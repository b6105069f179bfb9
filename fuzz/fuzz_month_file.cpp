// The month file parser on any bytes, against a few grids: never throws, sets
// only the rows of real days and never the heading row. Then a month composed
// from the input's cells is encoded, parsed back and must give those cells.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bookings/month_file.h"
#include "bookings/period.h"
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

// A cell as the grid may hold it: any text without ";" and line breaks.
std::string Cell(FuzzedDataProvider& input) {
    std::string bytes = input.ConsumeRandomLengthString(12);
    for (char& c : bytes) {
        if (c == ';' || c == '\r' || c == '\n') {
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

    // Composed, encoded and parsed again, a month gives its own cells back.
    std::vector<BookingDay> days(rows.size());
    days[0].cells = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (auto& cell : days[r].cells) {
            cell = Cell(input);
        }
    }
    const std::string caption = Cell(input);
    const auto lines = kolvaro::ComposeMonthLines(Cell(input), rows, days, caption);
    const std::string bytes = kolvaro::EncodeMonthLines(lines);
    Check(kolvaro::SplitMonthFile(bytes) == lines, "lines change when encoded and split");
    const kolvaro::LoadedMonth back = kolvaro::ParseMonthFile(bytes, rows);
    Check(back.totalCaption == caption, "total caption lost", caption);
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
