#include "durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace kolvaro {

namespace {

// The process's umask, read without changing it (umask() would change it for
// every thread for a moment).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
        }
    }
    return 022;
}

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
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // The rename has happened; a folder that cannot be flushed still holds
        // the new file, so this stays best effort.
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

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

    mode_t mode = 0666 & ~CurrentUmask();
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
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
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

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0;
    if (ok && exists) {
        // Keep the owner too where we may (root writing a user's file).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not being allowed to change the owner is no reason to fail.
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        content.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

}  // namespace kolvaro
