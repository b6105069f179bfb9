// Another program holding the folder lock, perhaps stopped for good: a write
// waits for it a bounded time, keeps calling the waiting hook meanwhile, and
// then fails with a message and writes nothing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "data/durable_file.h"
#include "data/settings.h"
#include "fault_files.h"

namespace kolvaro::faults {
namespace {

using namespace std::chrono_literals;

constexpr auto kTestLimit = 300ms;

// A child process that takes the lock of `folder` and holds it until it is
// killed, or for `holdFor` when that is given.
class LockHolder {
  public:
    explicit LockHolder(const std::string& folder, std::chrono::milliseconds holdFor = 0ms) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        child_ = ::fork();
        if (child_ == 0) {
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            const char locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 1 : 0;
            (void)!::write(ready[1], &locked, 1);
            if (holdFor > 0ms) {
                ::usleep(static_cast<useconds_t>(holdFor.count() * 1000));
                ::_exit(0);
            }
            for (;;) {
                ::pause();
            }
        }
        char locked = 0;
        locked_ = child_ > 0 && ::read(ready[0], &locked, 1) == 1 && locked == 1;
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockHolder() {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Locked() const { return locked_; }

  private:
    pid_t child_ = -1;
    bool locked_ = false;
};

class HeldLock : public ::testing::Test {
  protected:
    void SetUp() override {
        FolderLock::SetWaitLimitForTests(kTestLimit);
        FolderLock::SetWhileWaiting([this] { ++waits; });
        PutFile(Path(), before);
    }
    void TearDown() override {
        FolderLock::SetWaitLimitForTests(FolderLock::kWaitLimit);
        FolderLock::SetWhileWaiting({});
    }
    std::string Path() const { return folder.Path() + "/velmora.ini"; }

    const std::string before = "[0001]\r\nNummer=0001\r\nName=Alt\r\n";
    Folder folder;
    int waits = 0;
};

EmployeeRecord Employee() {
    EmployeeRecord record;
    record.number = "0001";
    record.name = "Neu";
    record.times = {"07:00", "07:30", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"};
    return record;
}

TEST_F(HeldLock, EveryWriteGivesUpAfterTheLimitAndWritesNothing) {
    const LockHolder holder(folder.Path());
    ASSERT_TRUE(holder.Locked());
    Settings settings(Path());
    const std::function<void()> writes[] = {
        [&] { settings.WriteEmployee(Employee()); },
        [&] { settings.WriteExportDirectory("/srv/export/"); },
        [&] { settings.DeleteEmployee("0001"); },
    };
    for (const auto& write : writes) {
        waits = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(FailureOf(write),
                  "Die Datei " + Path() +
                      " wird gerade von einem anderen Programm benutzt. Es wurde nichts "
                      "gespeichert; bitte versuchen Sie es gleich noch einmal.");
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, kTestLimit);
        EXPECT_LT(waited, kTestLimit + 2s);
        EXPECT_GT(waits, 0);  // the window could keep itself painted
        EXPECT_EQ(FileBytes(Path()), before);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"velmora.ini"});
    }
}

TEST_F(HeldLock, AWriteWaitsForALockReleasedInTime) {
    const LockHolder holder(folder.Path(), kTestLimit / 3);
    ASSERT_TRUE(holder.Locked());
    Settings settings(Path());
    settings.WriteEmployee(Employee());
    EXPECT_EQ(settings.ReadEmployee("0001").name, "Neu");
    EXPECT_GT(waits, 0);
}

}  // namespace
}  // namespace kolvaro::faults
