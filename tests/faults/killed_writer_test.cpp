// A writer killed at a random moment while it rewrites a file over and over,
// alternating two contents: the file is always one of the two, byte for byte.
// A killed writer can leave its temporary file behind (it dies between
// making it and the rename); the first write of the file that succeeds in a
// later run removes it once it has settled, and leaves every other file alone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/durable_file.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

constexpr int kKills = 40;

// Dates a file's last change back by `seconds`.
void Age(const std::string& path, int seconds) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const timespec times[2] = {{st.st_atime - seconds, 0}, {st.st_mtime - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class KilledWriter : public ::testing::TestWithParam<WrittenFile> {};

TEST_P(KilledWriter, LeavesTheOldOrTheNewFile) {
    const WrittenFile& file = GetParam();
    Folder folder;
    std::string why;
    folder.MountTmpfs("size=4m", why);  // faster where allowed; any folder will do
    const std::string path = file.path(folder.Path());
    const std::string name = path.substr(path.rfind('/') + 1);
    file.write(folder.Path(), 1);
    const std::string one = FileBytes(path);
    file.write(folder.Path(), 0);
    const std::string zero = FileBytes(path);
    ASSERT_NE(one, zero);

    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pause(0, 3000);  // microseconds
    int leftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int version = 1;; version = 1 - version) {
                file.write(folder.Path(), version);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own";

        const std::string now = FileBytes(path);
        ASSERT_TRUE(now == zero || now == one) << "kill " << kill << ": a mixed or cut file";
        std::vector<std::string> others;
        for (const std::string& entry : folder.Names()) {
            if (entry != name) {
                others.push_back(entry);
            }
        }
        ASSERT_LE(others.size(), 1u) << "more than the killed writer's temporary file";
        if (!others.empty()) {
            ASSERT_TRUE(IsTemporaryOf(others[0], name)) << others[0];
            ++leftovers;
            // Fresh, it might still be a live writer's: the next run's first
            // write keeps it.
            const std::string temporary = folder.Path() + "/" + others[0];
            ResetLeftoverChecksForTests();
            file.write(folder.Path(), 0);
            ASSERT_EQ(folder.Names().size(), 2u) << "a fresh temporary file was removed";
            // Settled and unlocked, it is a dead writer's: the next run's
            // first write removes it.
            Age(temporary, 120);
            ResetLeftoverChecksForTests();
            file.write(folder.Path(), 0);
            ASSERT_EQ(folder.Names(), std::vector<std::string>{name});
        }
    }
    RecordProperty("LeftoverTemporaryFiles", leftovers);
}

INSTANTIATE_TEST_SUITE_P(Files, KilledWriter, ::testing::ValuesIn(WrittenFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// Only the leftovers of the file that is written, named exactly as its
// writer names them, unlocked, are removed; anything else stays.
TEST(LeftoverTemporaryFiles, OnlyClearlyDeadOnesOfTheSameFileAreRemoved) {
    const WrittenFile& settings = WrittenFiles()[0];
    Folder folder;
    const std::vector<std::string> kept = {
        ".velmora.ini.bak",         // not six letters
        ".velmora.ini.ab-12c",      // not letters and digits
        "velmora.ini.Ab12Cd",       // no leading dot
        ".0007_022008.csv.Ab12Cd",  // another file's
        ".velmora.ini.Locked",      // a living writer holds it locked
    };
    for (const std::string& entry : kept) {
        PutFile(folder.Path() + "/" + entry, "x");
        Age(folder.Path() + "/" + entry, 3600);
    }
    ASSERT_EQ(::mkdir((folder.Path() + "/.velmora.ini.Folder").c_str(), 0755), 0);
    Age(folder.Path() + "/.velmora.ini.Folder", 3600);
    PutFile(folder.Path() + "/.velmora.ini.Dead01", "x");
    Age(folder.Path() + "/.velmora.ini.Dead01", 3600);

    // A writer that holds its file locked, in a process of its own.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open((folder.Path() + "/.velmora.ini.Locked").c_str(), O_RDONLY);
        const char done = (fd >= 0 && ::flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
        (void)::write(ready[1], &done, 1);
        ::pause();
        ::_exit(0);
    }
    char locked = 'n';
    ASSERT_EQ(::read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 'y');

    settings.write(folder.Path(), 1);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    std::vector<std::string> expected = kept;
    expected.push_back(".velmora.ini.Folder");
    expected.push_back("velmora.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.Names(), expected);
}

}  // namespace
}  // namespace kolvaro::faults
