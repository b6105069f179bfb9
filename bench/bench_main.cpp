// Benchmarks of the booking program: the settings file with many employees,
// one edit in the booking grid, and the start-up of the main window. Every
// figure that counts is a ratio against a baseline measured in the same run;
// the repetitions of all benchmarks run interleaved, so that a slower moment
// of the disk hits both sides of a ratio alike.
//
// Options besides Google Benchmark's own:
//   --workdir=DIR        make the temporary fixture folder below DIR (default:
//                        this program's build folder, on the real disk)
//   --write-fixtures=DIR write DIR/{empty,50,9999}/velmora.ini and the
//                        month-end folders DIR/month-end-{5,500} and stop
//   --month-end=DIR      run month-end once over DIR into a PDF and stop

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fixture_set.h"
#include "kolvaroapplication.h"
#include "month_end.h"
#include "summary.h"

namespace bench {

FixtureSet::FixtureSet(const std::string& parent)
    : root(parent),
      settings9999(root.Sub("employees-9999")),
      settings50(root.Sub("employees-50")),
      settingsEmpty(root.Sub("employees-0")),
      start9999(root.Sub("start-9999")),
      start50(root.Sub("start-50")),
      startEmpty(root.Sub("start-0")) {
    for (const auto& [count, folders] : {std::pair{9999, std::pair{settings9999, start9999}},
                                         {50, std::pair{settings50, start50}},
                                         {0, std::pair{settingsEmpty, startEmpty}}}) {
        const std::string bytes = SettingsFileBytes(count);
        WriteFile(folders.first + "/velmora.ini", bytes);
        WriteFile(folders.second + "/velmora.ini", bytes);
    }
}

const FixtureSet& Fixtures() {
    static const FixtureSet fixtures(WorkFolder());
    return fixtures;
}

}  // namespace bench

namespace {

int WriteFixtures(const std::string& folder) {
    for (const int count : {0, 50, 9999}) {
        const std::string sub = folder + "/" + (count ? std::to_string(count) : "empty");
        std::filesystem::create_directories(sub);
        bench::WriteFile(sub + "/velmora.ini", bench::SettingsFileBytes(count));
        std::printf("%s/velmora.ini\n", sub.c_str());
    }
    for (const int count : {5, 500}) {
        const std::string sub = folder + "/month-end-" + std::to_string(count);
        std::filesystem::create_directories(sub);
        bench::WriteMonthEndFixture(sub, count);
        std::printf("%s\n", sub.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool interleavingGiven = false;
    std::string monthEnd;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--workdir=", 10) == 0) {
            bench::SetWorkFolder(argv[i] + 10);
        } else if (std::strncmp(argv[i], "--write-fixtures=", 17) == 0) {
            return WriteFixtures(argv[i] + 17);
        } else if (std::strncmp(argv[i], "--month-end=", 12) == 0) {
            monthEnd = argv[i] + 12;
        } else {
            interleavingGiven |=
                std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0;
            args.push_back(argv[i]);
        }
    }
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (!interleavingGiven) {
        args.push_back(interleave);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    KolvaroApplication application(qtArgc, qtArgv);
    if (!monthEnd.empty()) {
        return bench::RunMonthEndOnce(monthEnd);
    }

    bench::RegisterSettingsBenchmarks();
    bench::RegisterEditBenchmarks();
    bench::RegisterStartupBenchmarks();
    bench::RegisterMonthEndBenchmarks();

    bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
