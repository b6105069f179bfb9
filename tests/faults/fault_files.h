#pragma once

// The three files the booking program writes, each with a writer that puts
// one of several versions of its content into a folder, and the folders that
// fail them: tmpfs mounts (read-only or tiny) and folders that vanish.

#include <ostream>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace kolvaro::faults {

struct WrittenFile {
    const char* name;  // for the test names
    // The file's full path in `folder`.
    std::string (*path)(const std::string& folder);
    // Writes version `version` of the content through the program's own
    // function; throws Failure as that function does.
    void (*write)(const std::string& folder, int version);
    // The message of a failed write with "%s" for the path.
    const char* message;
    // Whether a write keeps what the file holds (and so must read it first).
    // The export file is handed over whole and replaced by every export.
    bool keepsContent;
};

const std::vector<WrittenFile>& WrittenFiles();

// Test names and messages show the file by its name.
inline void PrintTo(const WrittenFile& file, std::ostream* out) {
    *out << file.name;
}

// A fresh folder under the temporary folder, removed with all it holds
// (after unmounting whatever was mounted on it).
class Folder {
  public:
    Folder() = default;
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::string& Path() const { return folder_.Path(); }

    // Mounts a tmpfs here ("size=64k", "ro", ...); false with the reason in
    // `why` where mounting is refused.
    bool MountTmpfs(const std::string& options, std::string& why);
    // Makes the mounted tmpfs read-only.
    bool RemountReadOnly(std::string& why);

    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

  private:
    testing::TempFolder folder_;  // removed after the destructor has unmounted
    bool mounted_ = false;
};

std::string FileBytes(const std::string& path);
void PutFile(const std::string& path, const std::string& bytes);

// The message with the path in place of "%s".
std::string MessageFor(const WrittenFile& file, const std::string& path);

// The message of the Failure that `operation` throws, or "(no failure)".
template <typename Operation>
std::string FailureOf(Operation&& operation);

// True when `name` is one that a writer of `file` gives its temporary file.
bool IsTemporaryOf(const std::string& name, const std::string& file);

}  // namespace kolvaro::faults

#include "data/failure.h"

template <typename Operation>
std::string kolvaro::faults::FailureOf(Operation&& operation) {
    try {
        operation();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(no failure)";
}
