// Two programs on one folder, each writing the same file many times while
// the other does too: the file stays well formed, what each wrote is in it,
// and no temporary file is left.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>

#include <functional>
#include <string>
#include <vector>

#include "bookings/month_change.h"
#include "bookings/month_file.h"
#include "bookings/month_merge.h"
#include "bookings/period.h"
#include "data/failure.h"
#include "data/settings.h"
#include "data/time_text.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

constexpr int kWrites = 100;

// Runs write(0 … writes - 1) in each of two processes at the same time;
// true when both got through without a failure.
bool RunTwoWriters(const std::function<void(int writer, int turn)>& write, int writes = kWrites) {
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        if (children[writer] == 0) {
            try {
                for (int turn = 0; turn < writes; ++turn) {
                    write(writer, turn);
                }
            } catch (const Failure&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
    }
    bool ok = true;
    for (const pid_t child : children) {
        int status = 0;
        ok = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

// Every line ends in CR LF, and there is no other CR or LF.
bool EveryLineEndsInCrLf(const std::string& bytes) {
    if (bytes.empty() || !bytes.ends_with("\r\n")) {
        return false;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n' && (at == 0 || bytes[at - 1] != '\r')) {
            return false;
        }
        if (bytes[at] == '\r' && (at + 1 == bytes.size() || bytes[at + 1] != '\n')) {
            return false;
        }
    }
    return true;
}

// Writer 0 saves the odd numbers 0001, 0003, …, writer 1 the even ones.
EmployeeRecord Employee(int writer, int turn) {
    EmployeeRecord record;
    record.number = ZeroPad(2 * turn + writer + 1, 4);
    record.name = (writer == 0 ? "Anna " : "Bernd ") + std::to_string(turn);
    record.days = {true, true, true, true, true, false, false};
    record.times = {"07:00", "07:30", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"};
    return record;
}

// One cell change stored as the window stores it, its log line included.
SavedChange Store(const std::string& path, const MonthGrid& grid, const CellChange& change) {
    return StoreLoggedCellChange(path, grid, change, "15.03.2008 09:30:00", "kolvaro");
}

TEST(TwoWriters, SettingsFileKeepsEveryEmployeeOfBoth) {
    Folder folder;
    std::string why;
    folder.MountTmpfs("size=4m", why);  // no waiting for the disk where allowed
    const std::string path = folder.Path() + "/velmora.ini";
    ASSERT_TRUE(RunTwoWriters(
        [&](int writer, int turn) { Settings(path).WriteEmployee(Employee(writer, turn)); }));
    const std::string bytes = FileBytes(path);
    EXPECT_TRUE(EveryLineEndsInCrLf(bytes));
    // Neither program's save undid one of the other's: every employee is there.
    std::vector<std::string> expected;
    for (int turn = 0; turn < kWrites; ++turn) {
        for (int writer = 0; writer < 2; ++writer) {
            const EmployeeRecord record = Employee(writer, turn);
            expected.push_back(record.number + "        " + record.name);
        }
    }
    const Settings settings(path);
    EXPECT_EQ(settings.LoadEmployeeList(), expected);
    EXPECT_EQ(settings.ReadEmployee(ZeroPad(2 * kWrites, 4)).times[7], "16:30");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"velmora.ini"});
}

TEST(TwoWriters, MonthFileIsTheLastWriteOfOneOfThem) {
    const WrittenFile& month = WrittenFiles()[1];
    Folder folder;
    std::string why;
    folder.MountTmpfs("size=4m", why);  // no waiting for the disk where allowed
    const std::string path = month.path(folder.Path());
    // Writer 0 writes the even versions, writer 1 the odd ones.
    std::vector<std::string> last(2);
    for (int writer = 0; writer < 2; ++writer) {
        month.write(folder.Path(), 2 * (kWrites - 1) + writer);
        last[writer] = FileBytes(path);
    }
    ASSERT_NE(last[0], last[1]);
    ::unlink(path.c_str());

    ASSERT_TRUE(RunTwoWriters(
        [&](int writer, int turn) { month.write(folder.Path(), 2 * turn + writer); }));
    const std::string bytes = FileBytes(path);
    EXPECT_TRUE(bytes == last[0] || bytes == last[1]) << "not the last write of either";
    EXPECT_TRUE(EveryLineEndsInCrLf(bytes));
    EXPECT_EQ(SplitMonthFile(bytes).size(), 37u);  // 29 days, the heading and 7 more lines
    EXPECT_EQ(folder.Names(), std::vector<std::string>{path.substr(path.rfind('/') + 1)});
}

// Two programs showing the same month, each typing times into days of its
// own: each change goes into the file as it is then, so none is lost.
TEST(TwoWriters, MonthFileKeepsEveryCellChangeOfBoth) {
    constexpr int kChanges = 200;
    constexpr int kDaysEach = 15;
    Folder folder;
    std::string why;
    folder.MountTmpfs("size=4m", why);  // no waiting for the disk where allowed
    const std::string path = folder.Path() + "/0007_122026.csv";
    MonthGrid grid;
    grid.listEntry = "0007        Müller";
    grid.dateRows.push_back({"", "Datum"});
    for (const DayIdentity& day : CheckPeriod("01.12.2026", "31.12.2026").days) {
        grid.dateRows.push_back(day);
    }
    grid.headings.cells = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    // Writer 0 takes the 1st to the 15th, writer 1 the 16th to the 30th;
    // every turn another cell, every cell several times, each time another time.
    const auto change = [&](int writer, int turn) {
        CellChange c;
        c.row = static_cast<std::size_t>(1 + writer * kDaysEach + turn % kDaysEach);
        c.column = static_cast<std::size_t>((turn / kDaysEach) % 4);
        c.text = ZeroPad(5 + turn / 60, 2) + ":" + ZeroPad(turn % 60, 2);
        return c;
    };
    ASSERT_TRUE(RunTwoWriters(
        [&](int writer, int turn) { Store(path, grid, change(writer, turn)); }, kChanges));

    std::vector<BookingDay> expected(grid.dateRows.size());
    for (int writer = 0; writer < 2; ++writer) {
        for (int turn = 0; turn < kChanges; ++turn) {
            const CellChange c = change(writer, turn);
            expected[c.row].cells[c.column] = c.text;
        }
    }
    const LoadedMonth loaded = ParseMonthFile(FileBytes(path), grid.dateRows);
    for (std::size_t row = 1; row < grid.dateRows.size(); ++row) {
        for (std::size_t column = 0; column < 4; ++column) {
            EXPECT_EQ(loaded.cells[row][column].value_or("(none)"), expected[row].cells[column])
                << "day " << row << ", column " << column;
        }
    }
    EXPECT_TRUE(EveryLineEndsInCrLf(FileBytes(path)));
    // No copy, no leftover; every change is in the log, one whole line each.
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"0007_122026.csv", "0007_122026.log"}));
    const std::string log = FileBytes(folder.Path() + "/0007_122026.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1 + 2 * kChanges);
}

}  // namespace
}  // namespace kolvaro::faults
