// Two programs on one folder, each writing the same file many times while
// the other does too: the file stays well formed, the last write of each is
// in it, and no temporary file is left.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "bookings/month_file.h"
#include "data/failure.h"
#include "data/settings.h"
#include "data/time_text.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

constexpr int kWrites = 100;

// Runs write(0 … kWrites - 1) in each of two processes at the same time;
// true when both got through without a failure.
bool RunTwoWriters(const std::function<void(int writer, int turn)>& write) {
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        if (children[writer] == 0) {
            try {
                for (int turn = 0; turn < kWrites; ++turn) {
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

}  // namespace
}  // namespace kolvaro::faults
