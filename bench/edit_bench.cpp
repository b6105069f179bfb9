// One accepted edit in the booking grid of journal mode: the totals of a
// 31-day month, then the month file composed and written durably, the work
// that follows every time the user changes.

#include <string>
#include <vector>

#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/durable_file.h"
#include "data/time_text.h"
#include "fixture_set.h"
#include "summary.h"

namespace bench {

namespace {

constexpr int kRepetitions = 25;

struct Month {
    std::vector<kolvaro::DayIdentity> dateRows;  // heading row first
    std::vector<kolvaro::BookingDay> days;       // day lines only
    std::string listEntry = "5000        Müller, Jürgen";
    std::string endDate = "31.01.2025";
};

Month MakeMonth() {
    Month month;
    const kolvaro::PeriodCheck period = kolvaro::CheckPeriod("01.01.2025", month.endDate);
    month.dateRows.push_back({"", "Datum"});
    for (const kolvaro::DayIdentity& day : period.days) {
        month.dateRows.push_back(day);
        kolvaro::BookingDay line;
        if (day.weekday != "Sa" && day.weekday != "So") {
            const int shift = static_cast<int>(month.days.size() % 9);
            line.cells = {"07:" + kolvaro::ZeroPad(30 + shift, 2),     "12:00", "12:30",
                          "16:" + kolvaro::ZeroPad(10 + shift * 3, 2), "",      ""};
        }
        month.days.push_back(line);
    }
    return month;
}

std::vector<kolvaro::BookingDay> WithHeadings(const std::vector<kolvaro::BookingDay>& days) {
    std::vector<kolvaro::BookingDay> rows;
    rows.reserve(days.size() + 1);
    rows.push_back({{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}});
    rows.insert(rows.end(), days.begin(), days.end());
    return rows;
}

// The edit: another arrival on one of the days, different every round.
void ChangeOneArrival(Month& month, int round) {
    month.days[static_cast<std::size_t>(round % 31)].cells[0] =
        "07:" + kolvaro::ZeroPad(round % 60, 2);
}

void GridEdit(benchmark::State& state, const std::string& folder) {
    Month month = MakeMonth();
    const std::string path = kolvaro::MonthFileName(folder, "5000", month.endDate);
    int round = 0;
    for (auto _ : state) {
        ChangeOneArrival(month, ++round);
        const std::string caption = kolvaro::ComputeTotals(month.days);
        const std::vector<std::string> lines = kolvaro::ComposeMonthLines(
            month.listEntry, month.dateRows, WithHeadings(month.days), caption);
        kolvaro::SaveMonthFile(path, lines);
    }
}

void BareWrite(benchmark::State& state, const std::string& folder) {
    Month month = MakeMonth();
    const std::string caption = kolvaro::ComputeTotals(month.days);
    const std::string bytes = kolvaro::EncodeMonthLines(kolvaro::ComposeMonthLines(
        month.listEntry, month.dateRows, WithHeadings(month.days), caption));
    const std::string path = kolvaro::MonthFileName(folder, "5000", month.endDate);
    for (auto _ : state) {
        if (!kolvaro::WriteFileDurably(path, bytes)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

// The totals and the composing alone, without the disk: what the edit adds
// to the write.
void TotalsAndCompose(benchmark::State& state) {
    Month month = MakeMonth();
    int round = 0;
    for (auto _ : state) {
        ChangeOneArrival(month, ++round);
        const std::string caption = kolvaro::ComputeTotals(month.days);
        const std::string bytes = kolvaro::EncodeMonthLines(kolvaro::ComposeMonthLines(
            month.listEntry, month.dateRows, WithHeadings(month.days), caption));
        benchmark::DoNotOptimize(bytes.data());
    }
}

}  // namespace

void RegisterEditBenchmarks() {
    const FixtureSet& f = Fixtures();
    Configure(benchmark::RegisterBenchmark("grid-edit/31-days", GridEdit, f.root.Sub("edit")),
              kRepetitions, Timing::Clock);
    Configure(benchmark::RegisterBenchmark("durable-write/month-file", BareWrite,
                                           f.root.Sub("edit-bare")),
              kRepetitions, Timing::Clock);
    Configure(benchmark::RegisterBenchmark("grid-edit/31-days-no-disk", TotalsAndCompose), 5,
              Timing::Processor)
        ->Unit(benchmark::kMicrosecond);
    AddRatio({"grid edit (totals+compose+save) / durable write of the bytes", "grid-edit/31-days",
              "durable-write/month-file", 1.5, true});
}

}  // namespace bench
