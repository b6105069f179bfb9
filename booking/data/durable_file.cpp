#include "durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

#include "failure.h"

namespace kolvaro {

namespace {

// The process's umask, read without changing it (umask() would change it for
// every thread for a moment). The program never changes its umask, so it is
// read once.
mode_t ProcessUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0) {
                return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
            }
        }
        return mode_t{022};
    }();
    return mask;
}

// The name of a temporary file for `base`: "." + base + "." and the six
// letters or digits that mkostemp puts in place of "XXXXXX".
bool IsTemporaryName(std::string_view name, std::string_view base) {
    const std::size_t prefix = base.size() + 2;
    if (name.size() != prefix + 6 || name[0] != '.' || name.substr(1, base.size()) != base ||
        name[base.size() + 1] != '.') {
        return false;
    }
    for (const char c : name.substr(prefix)) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) {
            return false;
        }
    }
    return true;
}

// A writer that was killed (or lost its power) between making its temporary
// file and the rename leaves that file behind. The next write that succeeds
// removes such leftovers of the same file, and only those that are clearly
// ours and dead: named as we name them, a plain file, unchanged for a
// minute, and not locked (a writer holds its temporary file locked until
// the rename is done, and a lock goes with the process that held it).
void RemoveLeftoverTemporaries(const std::string& folder, const std::string& base) {
    constexpr std::time_t kSettledSeconds = 60;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name, base)) {
            continue;
        }
        const int fd =
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kSettledSeconds &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// The files whose folder this process has already cleared of leftovers.
// Leftovers come from writers killed in earlier runs (or by other programs),
// so looking once per file and run is enough; the folder may hold thousands
// of month files, and every edit in the grid rewrites one.
std::mutex clearedMutex;
std::unordered_set<std::string> cleared;

bool FirstWriteInThisRun(const std::string& path) {
    const std::lock_guard<std::mutex> hold(clearedMutex);
    return cleared.insert(path).second;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false;  // no room and no error: nothing more would go in
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // What was renamed or created is there already; a folder that cannot
        // be flushed still holds it, so this stays best effort.
        ::fsync(fd);
        ::close(fd);
    }
}

void ResetLeftoverChecksForTests() {
    const std::lock_guard<std::mutex> hold(clearedMutex);
    cleared.clear();
}

namespace {

std::function<void()>& WhileWaiting() {
    static std::function<void()> whileWaiting;
    return whileWaiting;
}

std::chrono::milliseconds& WaitLimit() {
    static std::chrono::milliseconds limit = FolderLock::kWaitLimit;
    return limit;
}

}  // namespace

void FolderLock::SetWhileWaiting(std::function<void()> whileWaiting) {
    WhileWaiting() = std::move(whileWaiting);
}

void FolderLock::SetWaitLimitForTests(std::chrono::milliseconds limit) {
    WaitLimit() = limit;
}

FolderLock::FolderLock(const std::string& path) {
    const std::string folder = FolderOf(path);
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    // Tried again and again rather than waited for in one call, which could
    // not be given up after a while.
    const auto deadline = std::chrono::steady_clock::now() + WaitLimit();
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            // A folder that cannot be locked (some network file systems)
            // is written as before, without taking turns.
            ::close(fd_);
            fd_ = -1;
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            fd_ = -1;
            Fail(
                "Die Datei %s wird gerade von einem anderen Programm benutzt. Es wurde nichts "
                "gespeichert; bitte versuchen Sie es gleich noch einmal.",
                path);
        }
        if (WhileWaiting()) {
            WhileWaiting()();
        }
        ::usleep(10000);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

bool WriteFileDurably(const std::string& requestedPath, std::string_view bytes) {
    std::string path = requestedPath;
    struct stat st {};
    // A link is followed so that the file it points to is replaced, not the link.
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) {
            return false;
        }
        path = resolved;
    }

    mode_t mode = 0666 & ~ProcessUmask();
    bool exists = false;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            return false;
        }
        // A read-only file stays as it is, even for root and even where the
        // folder would allow the rename.
        if (::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0) {
            return false;
        }
        mode = st.st_mode & 07777;
        exists = true;
    } else if (errno != ENOENT) {
        return false;
    }

    const auto slash = path.rfind('/');
    const std::string folder = FolderOf(path);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp =
        (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + "." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    temp = name.data();
    // Locked so that a later write does not take it for a leftover (see
    // RemoveLeftoverTemporaries); nothing else ever waits for this lock.
    ::flock(fd, LOCK_EX | LOCK_NB);

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0;
    if (ok && exists) {
        // Keep the owner too where we may (root writing a user's file).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not being allowed to change the owner is no reason to fail.
        }
    }
    ok = ok && ::fsync(fd) == 0;
    // Renamed while still open, so that the temporary file is never unlocked.
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        ::close(fd);
        return false;
    }
    // The bytes were flushed by fsync; a failing close cannot lose them any more.
    ::close(fd);
    SyncFolder(folder);
    if (FirstWriteInThisRun(path)) {
        RemoveLeftoverTemporaries(folder, base);
    }
    return true;
}

namespace {

// Nothing is there: neither the file nor (with ENOTDIR) a folder to hold it.
bool IsMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path) {
    FileRead result;
    // Opened without waiting: a pipe or a device under the file's name would
    // otherwise hold the program at the open for as long as nobody writes
    // to it. Only a plain file is read; anything else is unreadable and, like
    // every unreadable file, never replaced.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.outcome = IsMissing(errno) ? ReadOutcome::Missing : ReadOutcome::Unreadable;
        return result;
    }
    result.outcome = ReadOutcome::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return result;
    }
    // Read straight into the string: a settings file of thousands of
    // employees is read at every user action. One byte more than the size
    // lets the first read already see the end of the file.
    std::string& content = result.bytes;
    content.assign(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == content.size()) {
            content.resize(content.size() * 2);
        }
        const ssize_t n = ::read(fd, content.data() + used, content.size() - used);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            content.clear();
            return result;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    content.resize(used);
    ::close(fd);
    result.outcome = ReadOutcome::Read;
    return result;
}

bool ExistsButUnreadable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return !IsMissing(errno);
    }
    // A folder in the file's place is no file that a write would replace:
    // the write itself fails there. A pipe or a device is: it cannot be read
    // as a file, so whatever stands there is left alone.
    struct stat st {};
    const bool plainOrFolder =
        ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
    ::close(fd);
    return !plainOrFolder;
}

bool IsPlainFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace kolvaro
