#include "data/durable_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../fifo_watchdog.h"
#include "data/failure.h"
#include "data/settings.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

using testing::FileBytes;
using testing::PutFile;
using testing::TempFolder;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(WriteFileDurably, ReplacesTheFileAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    const mode_t previous = ::umask(022);
    EXPECT_TRUE(WriteFileDurably(path, "neu"));
    EXPECT_EQ(ModeOf(path), 0644u);
    ::umask(previous);

    ::chmod(path.c_str(), 0640);
    EXPECT_TRUE(WriteFileDurably(path, std::string("zwei\0mal", 8)));
    EXPECT_EQ(FileBytes(path), std::string("zwei\0mal", 8));
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(folder.EntryCount(), 1u);

    // Through a link the file it points to is replaced, and the link stays.
    const std::string link = folder.File("link.ini");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    EXPECT_TRUE(WriteFileDurably(link, "über den Link"));
    EXPECT_EQ(FileBytes(path), "über den Link");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(WriteFileDurably, ReadWholeFileTellsMissingFromUnreadable) {
    TempFolder folder;
    PutFile(folder.File("a"), std::string("x\0y", 3));
    PutFile(folder.File("leer"), "");
    struct Case {
        std::string path;
        ReadOutcome outcome;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {folder.File("fehlt"), ReadOutcome::Missing, ""},
        {folder.File("fehlt/velmora.ini"), ReadOutcome::Missing, ""},
        {folder.File("a/velmora.ini"), ReadOutcome::Missing, ""},  // "a" is no folder
        {folder.File("leer"), ReadOutcome::Read, ""},
        {folder.File("a"), ReadOutcome::Read, std::string("x\0y", 3)},
        {folder.Path(), ReadOutcome::Unreadable, ""},  // a folder in the file's place
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FileRead read = ReadWholeFile(c.path);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_EQ(read.bytes, c.bytes);
        EXPECT_FALSE(ExistsButUnreadable(c.path));  // each can be opened, or is not there
    }
}

// A pipe, or a link to a device, under a file's name: reading neither waits
// for a writer nor reads for ever, and none of them is taken for a file that
// may be replaced.
TEST(WriteFileDurably, NoFileButAPlainOneIsReadOrReplaced) {
    TempFolder folder;
    FifoWatchdog fifo(folder.File("velmora.ini"));
    ASSERT_TRUE(fifo.Made());
    const std::string device = folder.File("0007_022008.csv");
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);
    for (const std::string& path : {folder.File("velmora.ini"), device}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ReadWholeFile(path).outcome, ReadOutcome::Unreadable);
        EXPECT_TRUE(ExistsButUnreadable(path));
        EXPECT_FALSE(IsPlainFile(path));
        EXPECT_FALSE(WriteFileDurably(path, "neu"));
    }
    EXPECT_FALSE(fifo.Fired()) << "the read waited for a writer";
    EXPECT_TRUE(fifo.StillAPipe());
    PutFile(folder.File("a"), "x");
    EXPECT_TRUE(IsPlainFile(folder.File("a")));
    EXPECT_FALSE(IsPlainFile(folder.Path()));
}

// The cases below fail for real, also for root, who ignores permission bits.
TEST(WriteFileDurably, FailsWhereTheFileIsAFolder) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    EXPECT_FALSE(WriteFileDurably(path, "x"));
    EXPECT_EQ(folder.EntryCount(), 1u);  // no temporary file left
}

TEST(WriteFileDurably, FailsInAMissingFolder) {
    TempFolder folder;
    EXPECT_FALSE(WriteFileDurably(folder.File("fehlt/velmora.ini"), "x"));
    EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST(WriteFileDurably, LeavesAReadOnlyFileAsItWas) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    PutFile(path, "alt");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(WriteFileDurably(path, "neu"));
    EXPECT_EQ(FileBytes(path), "alt");
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(WriteFileDurably, FailsForAUserWhoMayNotWriteTheFolder) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to switch to the unprivileged user 65534";
    }
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    const std::string path = folder.File("velmora.ini");
    PutFile(path, "alt");
    // The file itself would let anyone write it in place; the folder does not
    // let the user put a temporary file beside it.
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        ::_exit(WriteFileDurably(path, "neu") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write succeeded, 2: could not switch the user";
    EXPECT_EQ(FileBytes(path), "alt");
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(WriteFileDurably, ASettingsWriteThatFailsIsReportedWithThePath) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    const std::string before = "[0001]\r\nNummer=0001\r\nName=Alt\r\n";
    PutFile(path, before);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    Settings settings(path);
    EmployeeRecord record;
    record.number = "0001";
    record.name = "Neu";
    const auto failureOf = [](auto&& operation) -> std::string {
        try {
            operation();
        } catch (const Failure& failure) {
            return failure.what();
        }
        return "(no failure)";
    };
    const std::string message = "Nach " + path + " kann nicht geschrieben werden";
    EXPECT_EQ(failureOf([&] { settings.WriteEmployee(record); }), message);
    EXPECT_EQ(failureOf([&] { settings.WriteExportDirectory("/x/"); }), message);
    EXPECT_EQ(failureOf([&] { settings.DeleteEmployee("0001"); }), message);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

}  // namespace
}  // namespace kolvaro
