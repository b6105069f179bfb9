#pragma once

// A named pipe in a file's place, for tests that the program never waits for
// one. Should a reader block on it all the same, the watchdog opens the pipe
// for writing after a few seconds and closes it again: the reader comes free
// and reads an empty file, and the test fails instead of hanging.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class FifoWatchdog {
  public:
    explicit FifoWatchdog(std::string path,
                          std::chrono::milliseconds limit = std::chrono::seconds(3))
        : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0644) == 0;
        thread_ = std::thread([this, limit] {
            const auto deadline = std::chrono::steady_clock::now() + limit;
            while (!stop_) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    // Succeeds only while a reader has the pipe open.
                    const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0) {
                        fired_ = true;
                        ::close(fd);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~FifoWatchdog() {
        stop_ = true;
        thread_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    bool Made() const { return made_; }
    // True when someone was still waiting on the pipe after the limit.
    bool Fired() const { return fired_; }
    // Still a pipe (not replaced by a file).
    bool StillAPipe() const {
        struct stat st {};
        return ::lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    }

  private:
    std::string path_;
    bool made_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
