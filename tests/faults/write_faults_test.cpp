// A write that the system refuses: the user gets the message with the full
// path, the former file stays byte for byte, and no temporary file is left.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "data/durable_file.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

class WriteFault : public ::testing::TestWithParam<WrittenFile> {
  protected:
    // The message of writing version 2 into the folder, or "(no failure)".
    std::string WriteNew(const std::string& folder) {
        return FailureOf([&] { GetParam().write(folder, 2); });
    }
};

TEST_P(WriteFault, ReadOnlyFolder) {
    Folder folder;
    std::string why;
    if (!folder.MountTmpfs("size=256k", why)) {
        GTEST_SKIP() << why;
    }
    const std::string path = GetParam().path(folder.Path());
    GetParam().write(folder.Path(), 1);
    const std::string before = FileBytes(path);
    if (!folder.RemountReadOnly(why)) {
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(WriteNew(folder.Path()), MessageFor(GetParam(), path));
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(folder.Names().size(), 1u);
}

TEST_P(WriteFault, ReadOnlyFile) {
    Folder folder;
    const std::string path = GetParam().path(folder.Path());
    GetParam().write(folder.Path(), 1);
    const std::string before = FileBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    // The folder would let the file be replaced; a read-only file still is not.
    EXPECT_EQ(WriteNew(folder.Path()), MessageFor(GetParam(), path));
    EXPECT_EQ(FileBytes(path), before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(folder.Names().size(), 1u);
}

TEST_P(WriteFault, VanishedFolder) {
    Folder parent;
    const std::string gone = parent.Path() + "/Kolvaro";
    ASSERT_EQ(::mkdir(gone.c_str(), 0755), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    const std::string path = GetParam().path(gone);
    EXPECT_EQ(WriteNew(gone), MessageFor(GetParam(), path));
    EXPECT_TRUE(parent.Names().empty()) << "the folder must not come back";
}

TEST_P(WriteFault, FullDisk) {
    Folder folder;
    std::string why;
    if (!folder.MountTmpfs("size=64k", why)) {
        GTEST_SKIP() << why;
    }
    const std::string path = GetParam().path(folder.Path());
    GetParam().write(folder.Path(), 1);
    const std::string before = FileBytes(path);
    // Fill the rest of the disk.
    const std::string filler = folder.Path() + "/filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::vector<char> block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int full = errno;
    ::close(fd);
    ASSERT_EQ(full, ENOSPC);

    EXPECT_EQ(WriteNew(folder.Path()), MessageFor(GetParam(), path));
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(folder.Names().size(), 2u) << "no temporary file beside the file and the filler";

    // Once there is room again, the same write goes through.
    ASSERT_EQ(::unlink(filler.c_str()), 0);
    EXPECT_EQ(WriteNew(folder.Path()), "(no failure)");
    EXPECT_NE(FileBytes(path), before);
    EXPECT_EQ(folder.Names().size(), 1u);
}

// A file the user may write but not read (mode 0200, or a disk error): what
// the program would write instead was made without the records it holds.
TEST_P(WriteFault, UnreadableFile) {
    if (!GetParam().keepsContent) {
        GTEST_SKIP() << "replaced whole by every write";
    }
    Folder folder;
    const std::string path = GetParam().path(folder.Path());
    GetParam().write(folder.Path(), 1);
    const std::string before = FileBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);

    std::string message;
    if (::geteuid() != 0) {
        message = WriteNew(folder.Path());
    } else {
        // Root reads every file: the write runs as an unprivileged user who
        // owns the file and may write the folder.
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0777), 0);
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            const std::string said = ::setgid(65534) == 0 && ::setuid(65534) == 0
                                         ? WriteNew(folder.Path())
                                         : "(could not switch the user)";
            const ssize_t ignored = ::write(pipeEnds[1], said.data(), said.size());
            static_cast<void>(ignored);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        char buffer[1024];
        ssize_t n = 0;
        while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
            message.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    EXPECT_EQ(message, FormatMessage(kUnreadableFileMessage, path));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(folder.Names().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteFault, ::testing::ValuesIn(WrittenFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolvaro::faults
