// Reading the employee list of a full settings file, and saving one employee
// into it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "data/durable_file.h"
#include "data/settings.h"
#include "fixture_set.h"
#include "summary.h"

namespace bench {

namespace {

constexpr int kReadRepetitions = 15;
constexpr int kWriteRepetitions = 25;

// QSettings keeps a parsed file for as long as its size and time stamp stay
// the same, in a cache of the whole process; a new time stamp before every
// round makes it read the file again.
void TouchFile(const std::string& path, long long round) {
    const timespec times[2] = {{1'000'000'000 + round, 0}, {1'000'000'000 + round, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Every round is one operation that reads the file once for both questions,
// as the window does at start-up.
void KolvaroList(benchmark::State& state, const std::string& folder) {
    const std::string path = folder + "/velmora.ini";
    for (auto _ : state) {
        const kolvaro::Settings settings(path);
        const kolvaro::Settings::OneRead operation(&settings);
        std::vector<std::string> list = settings.LoadEmployeeList();
        std::optional<std::string> free = settings.FindFreeNumber();
        benchmark::DoNotOptimize(list.data());
        benchmark::DoNotOptimize(free);
    }
}

// QSettings on a file it reads right (see QSettingsFileBytes); the entries it
// gives are checked once against ours, so that both sides do the same work.
void QtList(benchmark::State& state, const std::string& folder, const std::string& ours) {
    const std::string path = folder + "/velmora.ini";
    const QString file = QString::fromStdString(path);
    const auto list = [&file] {
        QSettings settings(file, QSettings::IniFormat);
        QStringList entries;
        for (const QString& group : settings.childGroups()) {
            settings.beginGroup(group);
            const QString number = settings.value(QStringLiteral("Nummer")).toString();
            if (!number.isEmpty()) {
                entries.append(number + QStringLiteral("        ") +
                               settings.value(QStringLiteral("Name")).toString());
            }
            settings.endGroup();
        }
        return entries;
    };
    QStringList expected;
    for (const std::string& entry : kolvaro::Settings(ours + "/velmora.ini").LoadEmployeeList()) {
        expected.append(QString::fromStdString(entry));
    }
    if (list() != expected) {
        state.SkipWithError("QSettings reads other entries than the program");
        return;
    }
    long long round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TouchFile(path, ++round);
        state.ResumeTiming();
        const QStringList entries = list();
        benchmark::DoNotOptimize(entries.size());
    }
    TouchFile(path, 0);
}

// The floor: the bytes read into memory and their line ends counted.
void ReadCountLines(benchmark::State& state, const std::string& folder) {
    const std::string path = folder + "/velmora.ini";
    for (auto _ : state) {
        const kolvaro::FileRead read = kolvaro::ReadWholeFile(path);
        const std::size_t lines =
            static_cast<std::size_t>(std::count(read.bytes.begin(), read.bytes.end(), '\n'));
        benchmark::DoNotOptimize(lines);
    }
}

// Overwrites one employee (all seventeen keys) with a name that changes every
// round, so that every round really changes the file.
void WriteEmployee(benchmark::State& state, const std::string& folder) {
    kolvaro::Settings settings(folder + "/velmora.ini");
    kolvaro::EmployeeRecord record = settings.ReadEmployee("5000");
    const std::string name = record.name;
    int round = 0;
    for (auto _ : state) {
        record.name = name + (++round % 2 ? " Jäger" : " Fuß");
        settings.WriteEmployee(record);
    }
}

// The same save without the disk: reading the file, changing the seventeen
// keys and composing the bytes. Save minus this is what the disk costs.
void SaveWork(benchmark::State& state, const std::string& folder) {
    const kolvaro::ProfileFile file(folder + "/velmora.ini");
    const kolvaro::EmployeeRecord record =
        kolvaro::Settings(folder + "/velmora.ini").ReadEmployee("5000");
    for (auto _ : state) {
        kolvaro::ProfileDocument document = file.Load();  // read and parsed every time
        document.WriteString(record.number, "Nummer", record.number);
        document.WriteString(record.number, "Name", record.name + " Jäger");
        for (std::size_t i = 0; i < kolvaro::kDayKeys.size(); ++i) {
            document.WriteBool(record.number, kolvaro::kDayKeys[i], record.days[i]);
        }
        for (std::size_t i = 0; i < kolvaro::kTimeKeys.size(); ++i) {
            document.WriteString(record.number, kolvaro::kTimeKeys[i], record.times[i]);
        }
        const std::string bytes = document.Bytes();
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BareWrite(benchmark::State& state, const std::string& path) {
    const std::string bytes = kolvaro::ReadWholeFile(path).bytes;
    for (auto _ : state) {
        if (!kolvaro::WriteFileDurably(path, bytes)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

}  // namespace

void RegisterSettingsBenchmarks() {
    const FixtureSet& f = Fixtures();
    for (const auto& [count, folder] : {std::pair{9999, f.settings9999}, {50, f.settings50}}) {
        const std::string n = std::to_string(count);
        Configure(benchmark::RegisterBenchmark(("list/kolvaro/" + n).c_str(), KolvaroList, folder),
                  kReadRepetitions, Timing::Processor)
            ->MinTime(0.2);
        // A file of its own, since QtList sets its time stamps.
        const std::string qtFolder = f.root.Sub("qsettings-" + n);
        WriteFile(qtFolder + "/velmora.ini", QSettingsFileBytes(count));
        Configure(
            benchmark::RegisterBenchmark(("list/qsettings/" + n).c_str(), QtList, qtFolder, folder),
            kReadRepetitions, Timing::Processor)
            ->MinTime(0.2);
        Configure(benchmark::RegisterBenchmark(("list/read-count-lines/" + n).c_str(),
                                               ReadCountLines, folder),
                  kReadRepetitions, Timing::Processor)
            ->MinTime(0.2);
    }
    AddRatio({"list 9999: QSettings / LoadEmployeeList+FindFreeNumber", "list/qsettings/9999",
              "list/kolvaro/9999", 5.0, false});
    AddRatio({"list 9999: LoadEmployeeList+FindFreeNumber / read and count lines",
              "list/kolvaro/9999", "list/read-count-lines/9999", 2.0, true});
    AddRatio({"list 50: QSettings / LoadEmployeeList+FindFreeNumber", "list/qsettings/50",
              "list/kolvaro/50", 0, false});

    // Each writer has a copy of its own, in a folder of its own.
    const std::string bytes = kolvaro::ReadWholeFile(f.settings9999 + "/velmora.ini").bytes;
    const std::string writeFolder = f.root.Sub("write-employee");
    const std::string bareFolder = f.root.Sub("write-bare");
    WriteFile(writeFolder + "/velmora.ini", bytes);
    WriteFile(bareFolder + "/velmora.ini", bytes);
    Configure(benchmark::RegisterBenchmark("save-employee/9999", WriteEmployee, writeFolder),
              kWriteRepetitions, Timing::Clock)
        ->Iterations(4);
    Configure(benchmark::RegisterBenchmark("durable-write/settings-9999", BareWrite,
                                           bareFolder + "/velmora.ini"),
              kWriteRepetitions, Timing::Clock)
        ->Iterations(4);
    Configure(benchmark::RegisterBenchmark("save-employee/9999-no-disk", SaveWork, f.settings9999),
              kReadRepetitions, Timing::Processor)
        ->MinTime(0.2);
    AddRatio({"save one employee / one durable write of the 9999 file", "save-employee/9999",
              "durable-write/settings-9999", 2.0, true});
    AddRatio({"save one employee / (one durable write + the same work without disk)",
              "save-employee/9999", "durable-write/settings-9999", 0, true,
              "save-employee/9999-no-disk"});
}

}  // namespace bench
