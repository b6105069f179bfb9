// The month-end run: 500 employees with a full month each into one PDF,
// against the PDF of one single journal, both as time per page. The run
// holds one employee's month at a time, so its cost per page must stay that
// of a single journal.

#include <QPrinter>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/durable_file.h"
#include "data/settings.h"
#include "data/time_text.h"
#include "fixture_set.h"
#include "journal_printer.h"
#include "month_end.h"
#include "month_end_run.h"
#include "summary.h"

namespace bench {

namespace {

constexpr int kRepetitions = 9;
constexpr const char* kEndDate = "31.01.2025";

kolvaro::JournalInput Frame() {
    kolvaro::JournalInput frame;
    frame.dateFrom = "01.01.2025";
    frame.dateTo = kEndDate;
    frame.printDate = "03.02.2025";
    frame.printTime = "08:05";
    frame.headings = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    frame.lines =
        kolvaro::EmptyJournalLines(kolvaro::CheckPeriod(frame.dateFrom, frame.dateTo).days);
    return frame;
}

// Every day of the month booked, a little different from employee to employee.
std::string MonthFileBytes(const std::string& entry, int seed) {
    const kolvaro::PeriodCheck period = kolvaro::CheckPeriod("01.01.2025", kEndDate);
    std::vector<kolvaro::DayIdentity> dates{{"", "Datum"}};
    std::vector<kolvaro::BookingDay> days;
    for (const kolvaro::DayIdentity& day : period.days) {
        dates.push_back(day);
        const int shift = static_cast<int>((days.size() + static_cast<std::size_t>(seed)) % 9);
        kolvaro::BookingDay line;
        line.cells = {"07:" + kolvaro::ZeroPad(30 + shift, 2),     "12:00", "12:30",
                      "16:" + kolvaro::ZeroPad(10 + shift * 3, 2), "",      ""};
        days.push_back(line);
    }
    const std::string caption = kolvaro::ComputeTotals(days);
    days.insert(days.begin(), {{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}});
    return kolvaro::EncodeMonthLines(kolvaro::ComposeMonthLines(entry, dates, days, caption));
}

struct MonthEndFolder {
    std::unique_ptr<TempFolder> root;
    std::string folder;
    std::vector<std::string> entries;
};

const MonthEndFolder& Folder500() {
    static const MonthEndFolder made = [] {
        MonthEndFolder f;
        f.root = std::make_unique<TempFolder>(WorkFolder());
        f.folder = f.root->Sub("month-end-500");
        WriteMonthEndFixture(f.folder, 500);
        f.entries = kolvaro::Settings(f.folder + "/velmora.ini").LoadEmployeeList();
        return f;
    }();
    return made;
}

MonthEndJob Job(const MonthEndFolder& f, std::size_t count) {
    MonthEndJob job;
    job.programDirectory = f.folder;
    job.endDate = kEndDate;
    job.entries.assign(f.entries.begin(), f.entries.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                  count, f.entries.size())));
    job.frame = Frame();
    return job;
}

// The first `count` employees into one PDF; the time reported is per page.
void AllEmployees(benchmark::State& state, int count) {
    const MonthEndFolder& f = Folder500();
    const MonthEndJob job = Job(f, static_cast<std::size_t>(count));
    QPrinter printer(QPrinter::HighResolution);
    SetUpJournalPrinter(printer);
    const QString path = QString::fromStdString(f.folder + "/Journal_012025.pdf");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const kolvaro::MonthEndTally tally = RunMonthEndToPdf(job, printer, path, {});
        const auto end = std::chrono::steady_clock::now();
        if (tally.pages != count) {
            state.SkipWithError("not every employee printed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count() / tally.pages);
    }
}

// One employee's month as a PDF of its own, as "als PDF speichern" makes it
// (here from the month file rather than from the window).
void SingleJournal(benchmark::State& state) {
    const MonthEndFolder& f = Folder500();
    const kolvaro::JournalInput frame = Frame();
    const std::string& entry = f.entries[250];
    const std::string file =
        kolvaro::MonthFileName(f.folder, kolvaro::NumberOfEntry(entry), kEndDate);
    const QString path = QString::fromStdString(f.folder + "/single.pdf");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const kolvaro::FileRead content = kolvaro::ReadWholeFile(file);
        WriteJournalPdf(path, kolvaro::MonthJournal(frame, entry, content.bytes),
                        QStringLiteral("Kolvaro ") + QString::fromStdString(entry));
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

}  // namespace

void WriteMonthEndFixture(const std::string& folder, int count) {
    WriteFile(folder + "/velmora.ini", SettingsFileBytes(count));
    int seed = 0;
    for (const kolvaro::EmployeeRecord& record : MakeEmployees(count)) {
        WriteFile(kolvaro::MonthFileName(folder, record.number, kEndDate),
                  MonthFileBytes(kolvaro::ListEntry(record.number, record.name), ++seed));
    }
}

int RunMonthEndOnce(const std::string& folder) {
    MonthEndFolder f;
    f.folder = folder;
    f.entries = kolvaro::Settings(folder + "/velmora.ini").LoadEmployeeList();
    QPrinter printer(QPrinter::HighResolution);
    SetUpJournalPrinter(printer);
    const kolvaro::MonthEndTally tally =
        RunMonthEndToPdf(Job(f, f.entries.size()), printer,
                         QString::fromStdString(folder + "/Journal_012025.pdf"), {});
    return tally.pages == static_cast<int>(f.entries.size()) ? 0 : 1;
}

void RegisterMonthEndBenchmarks() {
    Configure(benchmark::RegisterBenchmark("month_end/500_per_page", AllEmployees, 500),
              kRepetitions, Timing::Manual)
        ->Iterations(1);
    Configure(benchmark::RegisterBenchmark("month_end/50_per_page", AllEmployees, 50), kRepetitions,
              Timing::Manual)
        ->Iterations(1);
    Configure(benchmark::RegisterBenchmark("month_end/single_pdf", SingleJournal), kRepetitions,
              Timing::Manual)
        ->MinTime(0.3);
    AddRatio({"month-end run, 500 employees into one PDF, per page / one single-journal PDF",
              "month_end/500_per_page", "month_end/single_pdf", 1.2, true});
    // Linear: a page costs the same in a long run as in a short one.
    AddRatio({"month-end run per page, 500 employees / 50 employees", "month_end/500_per_page",
              "month_end/50_per_page", 0, true});
}

}  // namespace bench
