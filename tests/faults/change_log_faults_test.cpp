// The change log when the disk fails it, and when two programs log changes
// of the same month at once: no change is stored without its line, and no
// line is lost or torn.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "bookings/change_log.h"
#include "bookings/month_change.h"
#include "data/durable_file.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

ChangeLogEntry Entry(const std::string& user, int turn) {
    return {"12.12.2026 14:03:07", user, "01.12.2026", "Kommt", "", std::to_string(turn)};
}

// Logs one change and writes `bytes` as the month file, as the window does.
std::string StoreChange(const std::string& month, const std::string& bytes) {
    return FailureOf([&] {
        StoreMonthChange(month, {Entry("anna", 1)}, [&] {
            if (!WriteFileDurably(month, bytes)) {
                Fail("Datei %s kann nicht erstellt werden", month);
            }
        });
    });
}

// A log of exactly one page, so that the next line needs a page more.
std::string OnePageLog() {
    std::string bytes = std::string(kChangeLogHeading) + "\r\n";
    bytes += std::string(4096 - bytes.size() - 2, 'x') + "\r\n";
    return bytes;
}

TEST(ChangeLogFault, FullDiskStoresNothing) {
    Folder folder;
    std::string why;
    if (!folder.MountTmpfs("size=64k", why)) {
        GTEST_SKIP() << why;
    }
    const std::string month = folder.Path() + "/0007_122026.csv";
    const std::string log = ChangeLogName(month);
    PutFile(month, "alt\r\n");
    PutFile(log, OnePageLog());
    const std::string filler = folder.Path() + "/filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::vector<char> block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int full = errno;
    ::close(fd);
    ASSERT_EQ(full, ENOSPC);

    EXPECT_EQ(StoreChange(month, "neu\r\n"), FormatMessage(kLogNotWrittenMessage, log));
    EXPECT_EQ(FileBytes(month), "alt\r\n");
    EXPECT_EQ(FileBytes(log), OnePageLog()) << "no part of a line may stay";

    ASSERT_EQ(::unlink(filler.c_str()), 0);
    EXPECT_EQ(StoreChange(month, "neu\r\n"), "(no failure)");
    EXPECT_EQ(FileBytes(month), "neu\r\n");
    EXPECT_EQ(FileBytes(log), OnePageLog() + ComposeChangeLogLine(Entry("anna", 1)) + "\r\n");
}

TEST(ChangeLogFault, ReadOnlyDiskStoresNothing) {
    Folder folder;
    std::string why;
    if (!folder.MountTmpfs("size=256k", why)) {
        GTEST_SKIP() << why;
    }
    const std::string month = folder.Path() + "/0007_122026.csv";
    const std::string log = ChangeLogName(month);
    PutFile(month, "alt\r\n");
    if (!folder.RemountReadOnly(why)) {
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(StoreChange(month, "neu\r\n"), FormatMessage(kLogNotWrittenMessage, log));
    EXPECT_EQ(FileBytes(month), "alt\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"0007_122026.csv"});
}

TEST(ChangeLogFault, TwoProgramsLoseNoLine) {
    constexpr int kChanges = 500;
    Folder folder;
    std::string why;
    folder.MountTmpfs("size=4m", why);  // no waiting for the disk where allowed
    const std::string month = folder.Path() + "/0007_122026.csv";
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        if (children[writer] == 0) {
            const std::string user = writer == 0 ? "anna" : "bernd";
            try {
                for (int turn = 0; turn < kChanges; ++turn) {
                    StoreMonthChange(month, {Entry(user, turn)}, [&] {
                        if (!WriteFileDurably(month, user + std::to_string(turn) + "\r\n")) {
                            Fail("Datei %s kann nicht erstellt werden", month);
                        }
                    });
                }
            } catch (const Failure&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // The heading once, then every change of both as a whole line, each
    // program's in its own order.
    const std::string bytes = FileBytes(ChangeLogName(month));
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "the last line is torn";
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 1u + 2 * kChanges);
    EXPECT_EQ(lines[0], kChangeLogHeading);
    int next[2] = {0, 0};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int writer = lines[i].find(";anna;") != std::string::npos ? 0 : 1;
        EXPECT_EQ(lines[i],
                  ComposeChangeLogLine(Entry(writer == 0 ? "anna" : "bernd", next[writer]++)));
    }
    EXPECT_EQ(next[0], kChanges);
    EXPECT_EQ(next[1], kChanges);
    // The month file holds the last change that was logged.
    const std::string& last = lines.back();
    const std::string lastUser = last.find(";anna;") != std::string::npos ? "anna" : "bernd";
    EXPECT_EQ(FileBytes(month), lastUser + std::to_string(kChanges - 1) + "\r\n");
}

}  // namespace
}  // namespace kolvaro::faults
