// A month file opened in LibreOffice Calc and saved back, for real: the
// program reads every day of it and keeps the original before it rewrites
// it. Skipped where Calc is not installed (it is far too big to install for
// the tests); the measured cases in spreadsheet_saved.h stand in for it there.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bookings/month_file.h"
#include "bookings/month_merge.h"
#include "spreadsheet_saved.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

struct ImportOptions {
    const char* what;
    bool detectSpecialNumbers;
};

class CalcRoundTrip : public testing::TestWithParam<ImportOptions> {};

TEST_P(CalcRoundTrip, EveryDayIsReadAndTheOriginalKept) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "soffice (LibreOffice) is not installed: the month file is not sent "
                        "through Calc here; the measured cases in spreadsheet_saved.h cover it";
    }
    std::string pattern = (fs::temp_directory_path() / "calc-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    fs::create_directories(dir / "in");
    const fs::path in = dir / "in" / "0007_122026.csv";
    { std::ofstream(in, std::ios::binary) << spreadsheet::CleanFile(); }

    // As the import dialog opens it: ";" as separator, the file taken for
    // UTF-8, German, quoted fields as text off; then saved with ",".
    // A profile of its own, so that a Calc already open elsewhere is not used,
    // and a time limit, so that a Calc that hangs does not hang the tests.
    // German, as on the office's desktop: Calc then writes dates as 01.12.26
    // (under a C locale it would write 12/01/26).
    const std::string command =
        "LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 timeout 300 soffice --headless --norestore "
        "'-env:UserInstallation=file://" +
        (dir / "profile").string() + "' '--infilter=CSV:59,34,76,1,,1031,false," +
        (GetParam().detectSpecialNumbers ? "true" : "false") +
        "' '--convert-to' 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
        (dir / "out").string() + "' '" + in.string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    const std::string saved = ReadAll(dir / "out" / "0007_122026.csv");
    fs::remove_all(dir);
    ASSERT_EQ(status, 0) << command;
    ASSERT_FALSE(saved.empty()) << "Calc wrote nothing";

    const spreadsheet::Grids& month = spreadsheet::December2026();
    const LoadedMonth loaded = ParseMonthFile(saved, month.dates);
    for (std::size_t r = 1; r < month.dates.size(); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            EXPECT_EQ(loaded.cells[r][c], month.bookings[r].cells[c]) << "day " << r << "\n"
                                                                      << saved;
        }
    }
    EXPECT_EQ(loaded.totalCaption, "248:00 ");

    MonthGrid grid;
    grid.listEntry = spreadsheet::kEntry;
    grid.dateRows = month.dates;
    grid.headings = month.bookings[0];
    EXPECT_TRUE(MergeCellChange(saved, grid, {2, 0, "07:45"}).keepOriginal);
}

INSTANTIATE_TEST_SUITE_P(ImportDialog, CalcRoundTrip,
                         testing::Values(ImportOptions{"Defaults", false},
                                         ImportOptions{"DetectSpecialNumbers", true}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace kolvaro
