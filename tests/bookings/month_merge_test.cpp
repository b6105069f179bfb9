// One cell change applied to the month file as it is: what another program
// wrote stays, the file a spreadsheet saved back is read, and its original is
// kept beside it before the first rewrite.

#include "bookings/month_merge.h"
#include "bookings/month_change.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../fifo_watchdog.h"
#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "spreadsheet_saved.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;
using spreadsheet::December2026;
using spreadsheet::kEntry;

MonthGrid Grid() {
    MonthGrid grid;
    grid.listEntry = kEntry;
    grid.dateRows = December2026().dates;
    grid.headings = December2026().bookings[0];
    return grid;
}

// The four times of every day row.
std::vector<std::array<std::string, 4>> Times(const std::vector<BookingDay>& rows) {
    std::vector<std::array<std::string, 4>> times;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        times.push_back({rows[r].cells[0], rows[r].cells[1], rows[r].cells[2], rows[r].cells[3]});
    }
    return times;
}

TEST(MonthMergeTest, ChangesOfTwoProgramsBothStay) {
    const MonthGrid grid = Grid();
    // A types 08:00 on the 20th: the file is new.
    const MergedMonth a = MergeCellChange(std::nullopt, grid, {20, 0, "08:00"});
    EXPECT_FALSE(a.keepOriginal);
    const std::string afterA = EncodeMonthLines(a.lines);
    // B, still showing the month without it, types 09:00 on the 21st.
    const MergedMonth b = MergeCellChange(afterA, grid, {21, 0, "09:00"});
    EXPECT_FALSE(b.keepOriginal);  // A's file is the program's own
    EXPECT_EQ(b.rows[20].cells[0], "08:00");
    EXPECT_EQ(b.rows[21].cells[0], "09:00");
    // A deletes its time again: B's stays.
    const MergedMonth deleted = MergeCellChange(EncodeMonthLines(b.lines), grid, {20, 0, ""});
    EXPECT_EQ(deleted.rows[20].cells[0], "");
    EXPECT_EQ(deleted.rows[21].cells[0], "09:00");
    // The same cell changed by both: the later change wins.
    const MergedMonth later = MergeCellChange(EncodeMonthLines(b.lines), grid, {21, 0, "10:15"});
    EXPECT_EQ(later.rows[21].cells[0], "10:15");
    EXPECT_EQ(later.rows[20].cells[0], "08:00");
}

TEST(MonthMergeTest, TotalsAndLinesComeFromTheMergedTimes) {
    const MonthGrid grid = Grid();
    const std::string file = spreadsheet::CleanFile();
    const MergedMonth merged = MergeCellChange(file, grid, {5, 3, "17:00"});
    EXPECT_FALSE(merged.keepOriginal);
    // Every day of the file booked 07:30-16:00 with half an hour's break
    // (8:00), the 5th now leaving an hour later.
    EXPECT_EQ(merged.rows[5].cells[4], "09:00");
    EXPECT_EQ(merged.rows[31].cells[5], "249:00");
    EXPECT_EQ(merged.totalCaption, "249:00 ");
    EXPECT_EQ(merged.lines[7], "Sa;05.12.2026;07:30;12:00;12:30;17:00;09:00;41:00;");
    EXPECT_EQ(merged.lines[35], ";;;;;;Summe:;249:00 ;");
    EXPECT_EQ(merged.rows[0].cells, grid.headings.cells);
}

TEST(MonthMergeTest, NoEmployeeOrNoDayRowWritesNothing) {
    MonthGrid grid = Grid();
    EXPECT_THROW(MergeCellChange(std::nullopt, grid, {0, 0, "08:00"}), std::invalid_argument);
    EXPECT_THROW(MergeCellChange(std::nullopt, grid, {32, 0, "08:00"}), std::invalid_argument);
    EXPECT_THROW(MergeCellChange(std::nullopt, grid, {1, 4, "08:00"}), std::invalid_argument);
    grid.listEntry.reset();
    EXPECT_THROW(MergeCellChange(spreadsheet::CleanFile(), grid, {1, 0, "08:00"}), Failure);
}

// Each way a month file came back from a spreadsheet or an editor that was
// measured: every booked day is read wherever it stands, and the original
// must be kept, since the program writes other bytes.
TEST(MonthMergeTest, SpreadsheetSavedFilesAreReadAndKept) {
    const MonthGrid grid = Grid();
    const auto expected = Times(December2026().bookings);
    for (const spreadsheet::SavedCase& c : spreadsheet::SavedCases()) {
        SCOPED_TRACE(c.what);
        const LoadedMonth loaded = ParseMonthFile(c.bytes, grid.dateRows);
        int booked = 0;
        for (std::size_t r = 1; r < loaded.cells.size(); ++r) {
            booked += loaded.cells[r][0] == expected[r - 1][0] &&
                      loaded.cells[r][1] == expected[r - 1][1] &&
                      loaded.cells[r][2] == expected[r - 1][2] &&
                      loaded.cells[r][3] == expected[r - 1][3];
        }
        EXPECT_EQ(booked, 31) << "booked days read";
        EXPECT_EQ(loaded.totalCaption, "248:00 ");  // from the times, whatever "Summe" holds

        const MergedMonth merged = MergeCellChange(c.bytes, grid, {2, 0, "07:45"});
        EXPECT_EQ(merged.keepOriginal, c.keepOriginal);
        auto times = expected;
        times[1][0] = "07:45";
        EXPECT_EQ(Times(merged.rows), times);
        // The first write gives back a clean file: read again, it is the
        // program's own, and the next change needs no copy.
        const std::string written = EncodeMonthLines(merged.lines);
        EXPECT_FALSE(MergeCellChange(written, grid, {2, 0, "07:45"}).keepOriginal);
        EXPECT_EQ(merged.lines,
                  MergeCellChange(spreadsheet::CleanFile(), grid, {2, 0, "07:45"}).lines);
    }
}

// What the day line reader takes as a date, a time and a field.
TEST(MonthMergeTest, LooseFieldsOfADayLine) {
    const MonthGrid grid = Grid();
    struct Case {
        const char* line;
        std::array<const char*, 4> times;  // nullptr: the day is not found
    } const cases[] = {
        {"Mi;02.12.2026;07:30;;;16:00;", {"07:30", "", "", "16:00"}},
        {"Mi;2.12.2026;07:30", {"07:30", "", "", ""}},
        {"Mi;02.12.26;7:30:00;12:00:00;;16:00:00", {"07:30", "12:00", "", "16:00"}},
        {"Mi,2.12.26,07:30,,,16:00,08:00,8:00,,", {"07:30", "", "", "16:00"}},
        {"\"Mi\",\"02.12.2026\",\"07:30\",,,\"16:00\"", {"07:30", "", "", "16:00"}},
        {"\"Mi\";\"02.12.2026\";\"07:30\";\"\";\"\";\"16:00\";", {"07:30", "", "", "16:00"}},
        {"Mi;02.12.2026;07:30:15;;;16:00;", {"07:30:15", "", "", "16:00"}},  // kept as it stands
        {"Mi;02.12.2026;7,30;;;16:00;", {"7,30", "", "", "16:00"}},          // ";" decides
        {"Mi;02.12.25;07:30;;;16:00;", {nullptr}},                           // another year
        {"Mi;02.12.202;07:30;;;16:00;", {nullptr}},
        {"Do;02.12.2026;07:30;;;16:00;", {nullptr}},  // not a Thursday
        {"Mi;02.12.2026.;07:30;;;16:00;", {nullptr}},
        {"Mi;002.12.2026;07:30;;;16:00;", {nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const LoadedMonth loaded = ParseMonthLines({c.line}, grid.dateRows);
        if (c.times[0] == nullptr) {
            EXPECT_FALSE(loaded.cells[2][0].has_value());
            continue;
        }
        for (std::size_t column = 0; column < 4; ++column) {
            EXPECT_EQ(loaded.cells[2][column], c.times[column]) << column;
        }
    }
}

// --- on disk ---

// One cell change stored as the window stores it, its log line included.
SavedChange Store(const std::string& path, const MonthGrid& grid, const CellChange& change) {
    return StoreLoggedCellChange(path, grid, change, "15.03.2008 09:30:00", "kolvaro");
}

class MonthMergeDiskTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "monthmerge-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "0007_122026.csv").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(MonthMergeDiskTest, OriginalKeptOnceBeforeTheFirstRewrite) {
    const std::string original = spreadsheet::SavedCases()[0].bytes;
    Put(path_, original);
    const SavedChange first = Store(path_, Grid(), {2, 0, "07:45"});
    ASSERT_EQ(first.originalCopy, path_ + ".bak");
    EXPECT_EQ(Read(path_ + ".bak"), original);
    EXPECT_EQ(Read(path_), EncodeMonthLines(first.month.lines));
    EXPECT_EQ(OriginalKeptMessage(path_, *first.originalCopy),
              "Die Monatsdatei " + path_ +
                  " war von einem anderen Programm in einer Form gespeichert, die Kolvaro nicht "
                  "unverändert zurückschreiben kann. Die ursprüngliche Datei wurde als " +
                  path_ + ".bak aufbewahrt.");

    // The file is the program's own now: no more copies.
    const SavedChange second = Store(path_, Grid(), {3, 0, "07:45"});
    EXPECT_FALSE(second.originalCopy);
    EXPECT_EQ(Names(), (std::vector<std::string>{"0007_122026.csv", "0007_122026.csv.bak",
                                                 "0007_122026.log"}));

    // Saved by the spreadsheet again with the same bytes: the copy is there already.
    Put(path_, original);
    EXPECT_FALSE(Store(path_, Grid(), {4, 0, "07:45"}).originalCopy);
    // With other bytes: the older copy stays, the new one goes beside it.
    Put(path_, spreadsheet::SavedCases()[1].bytes);
    EXPECT_EQ(Store(path_, Grid(), {4, 0, "07:50"}).originalCopy, path_ + ".bak2");
    EXPECT_EQ(Read(path_ + ".bak"), original);
    EXPECT_EQ(Read(path_ + ".bak2"), spreadsheet::SavedCases()[1].bytes);
}

TEST_F(MonthMergeDiskTest, ProgramsOwnFileNeverGetsACopy) {
    EXPECT_FALSE(Store(path_, Grid(), {2, 0, "07:45"}).originalCopy);
    Put(path_, spreadsheet::CleanFile());
    EXPECT_FALSE(Store(path_, Grid(), {2, 0, "07:45"}).originalCopy);
    EXPECT_EQ(Names(), (std::vector<std::string>{"0007_122026.csv", "0007_122026.log"}));
}

TEST_F(MonthMergeDiskTest, WhatCannotBeReadIsNeverReplaced) {
    // A pipe in the copy's place is passed over, and not waited for.
    const FifoWatchdog pipe(path_ + ".bak");
    ASSERT_TRUE(pipe.Made());
    Put(path_, spreadsheet::SavedCases()[0].bytes);
    EXPECT_EQ(Store(path_, Grid(), {2, 0, "07:45"}).originalCopy, path_ + ".bak2");
    EXPECT_TRUE(pipe.StillAPipe());
    EXPECT_FALSE(pipe.Fired());

    // A pipe in the month file's place: refused, nothing written.
    const std::string other = (dir_ / "0007_112026.csv").string();
    const FifoWatchdog monthPipe(other);
    ASSERT_TRUE(monthPipe.Made());
    try {
        Store(other, Grid(), {2, 0, "07:45"});
        ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.what(), "Die Datei " + other +
                                      " kann nicht gelesen werden und wird deshalb nicht "
                                      "überschrieben.");
    }
    EXPECT_TRUE(monthPipe.StillAPipe());
    EXPECT_FALSE(monthPipe.Fired());
    EXPECT_FALSE(fs::exists(other + ".bak"));
}

}  // namespace
}  // namespace kolvaro
