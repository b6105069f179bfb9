#pragma once

// Replacing a whole file so that it is never left half written: the bytes go
// to a temporary file in the same folder, are flushed to disk and renamed over
// the old file. The caller turns a false result into its own message.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kolvaro {

// False when the file could not be replaced; the former file is then as it
// was and no temporary file is left. A file that is read-only is not replaced
// even where the folder would allow it. The first write of a file in this
// process that succeeds also removes temporary files of the same file that a
// killed writer left behind.
bool WriteFileDurably(const std::string& path, std::string_view bytes);

// Lets the next write of every file look for leftovers again, as in a new
// process. For tests.
void ResetLeftoverChecksForTests();

// Held while a file is read, changed and written back, so that two programs
// changing the same file take turns instead of undoing each other's change.
// It locks the folder that holds `path` (the file itself is replaced by every
// write, so a lock on it would not last). Advisory and best effort: where the
// folder cannot be opened or locked nothing is held.
//
// Another program holding the lock is waited for a few seconds at most (a
// stopped one would hold it for good); then the constructor throws Failure
// ("Die Datei %s wird gerade von einem anderen Programm benutzt ...") and the
// caller writes nothing.
class FolderLock {
  public:
    static constexpr std::chrono::milliseconds kWaitLimit{5000};

    explicit FolderLock(const std::string& path);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Called again and again while the lock is waited for, so that a window
    // can keep itself painted meanwhile. Empty by default.
    static void SetWhileWaiting(std::function<void()> whileWaiting);
    // A shorter wait, so that tests of a held lock do not take seconds.
    static void SetWaitLimitForTests(std::chrono::milliseconds limit);

  private:
    int fd_ = -1;
};

// What reading a file found. A file that exists but cannot be read (no
// permission, a folder in its place, a disk error) is never taken for a
// missing or empty one: whoever would write it afterwards would replace
// records it never saw. Anything but a plain file (a pipe, a device) is
// unreadable too, and reading never waits for it.
enum class ReadOutcome { Missing, Read, Unreadable };

struct FileRead {
    ReadOutcome outcome = ReadOutcome::Missing;
    std::string bytes;  // the whole file when Read, empty otherwise
};

FileRead ReadWholeFile(const std::string& path);

// True when there is a file at `path` that cannot be opened for reading, or
// something that is no plain file (a pipe, a device). Cheaper than reading
// it, for a writer that is about to replace it. A folder in the file's place
// is not one: writing there fails anyway.
bool ExistsButUnreadable(const std::string& path);

// True when `path` names a plain file (through links), one that can be opened
// without waiting for another program.
bool IsPlainFile(const std::string& path);

// Writes all of `bytes` to `fd`, going on after interruptions. False when the
// disk takes no more or reports an error.
bool WriteAll(int fd, std::string_view bytes);

// The folder that holds `path`: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// Flushes the folder's list of names to disk, so that a file just created or
// renamed there is found after a power cut. Best effort.
void SyncFolder(const std::string& folder);

// The message of a write refused because the file in the way could not be read.
inline constexpr std::string_view kUnreadableFileMessage =
    "Die Datei %s kann nicht gelesen werden und wird deshalb nicht überschrieben.";

}  // namespace kolvaro
