#pragma once

// A fresh folder for one test or benchmark run, removed with everything in it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace kolvaro::testing {

class TempFolder {
  public:
    // A fresh folder below `parent`, the system's temporary folder by default.
    explicit TempFolder(
        const std::string& parent = std::filesystem::temp_directory_path().string()) {
        std::string name = parent + "/kolvaro-XXXXXX";
        if (::mkdtemp(name.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder below " + parent);
        }
        path_ = name;
    }
    // Write permission is given back first, so that a test that took it away
    // leaves nothing behind.
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // A subfolder, made when missing.
    std::string Sub(const std::string& name) const {
        const std::string sub = File(name);
        std::filesystem::create_directories(sub);
        return sub;
    }

    // The names in the folder, so that a test can see that no temporary file was left.
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                      std::filesystem::directory_iterator()));
    }

  private:
    std::string path_;
};

inline void PutFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace kolvaro::testing
