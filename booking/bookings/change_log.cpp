#include "bookings/change_log.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "data/cp1252.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "data/time_text.h"

namespace kolvaro {

namespace {

std::string Field(std::string_view text) {
    if (text.empty()) {
        return "-";
    }
    std::string field(text);
    for (char& c : field) {
        if (c == ';' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return field;
}

// The fields of a line, split at every ";".
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = line.find(';'); at != std::string_view::npos;
         at = line.find(';', start)) {
        fields.push_back(line.substr(start, at - start));
        start = at + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

std::string ChangeLogName(std::string_view monthFilePath) {
    std::string name(monthFilePath);
    if (name.ends_with(".csv")) {
        name.resize(name.size() - 4);
    }
    return name + ".log";
}

std::string ChangeLogTime(const ClockReading& reading) {
    const auto day = std::chrono::floor<std::chrono::days>(reading.local);
    const std::chrono::year_month_day date{day};
    const std::chrono::hh_mm_ss time{reading.local - day};
    return DateText(static_cast<int>(static_cast<unsigned>(date.day())),
                    static_cast<int>(static_cast<unsigned>(date.month())),
                    static_cast<int>(date.year())) +
           " " + ZeroPad(time.hours().count(), 2) + ":" + ZeroPad(time.minutes().count(), 2) + ":" +
           ZeroPad(time.seconds().count(), 2);
}

std::string LoginName() {
    const uid_t uid = ::geteuid();
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return found->pw_name;
    }
    return std::to_string(uid);
}

std::string ComposeChangeLogLine(const ChangeLogEntry& entry) {
    std::string line;
    for (const std::string* text :
         {&entry.when, &entry.user, &entry.day, &entry.column, &entry.before, &entry.after}) {
        if (!line.empty()) {
            line += ';';
        }
        line += Field(*text);
    }
    return line;
}

ChangeLogEntry MonthStateEntry(std::string when, std::string user, bool closed) {
    ChangeLogEntry entry;
    entry.when = std::move(when);
    entry.user = std::move(user);
    entry.column = kMonthColumn;
    entry.before = closed ? kMonthOpen : kMonthClosed;
    entry.after = closed ? kMonthClosed : kMonthOpen;
    return entry;
}

bool MonthClosedIn(std::string_view logBytes) {
    bool closed = false;
    std::size_t start = 0;
    while (start < logBytes.size()) {
        std::size_t end = logBytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = logBytes.size();
        }
        const std::vector<std::string_view> fields = Fields(logBytes.substr(start, end - start));
        if (fields.size() == 6 && fields[3] == kMonthColumn) {
            if (fields[5] == kMonthClosed) {
                closed = true;
            } else if (fields[5] == kMonthOpen) {
                closed = false;
            }
        }
        start = end + 1;
    }
    return closed;
}

MonthState ReadMonthState(const std::string& logPath) {
    const FileRead read = ReadWholeFile(logPath);
    switch (read.outcome) {
        case ReadOutcome::Missing:
            return MonthState::Open;
        case ReadOutcome::Unreadable:
            return MonthState::Unknown;
        case ReadOutcome::Read:
            break;
    }
    return MonthClosedIn(read.bytes) ? MonthState::Closed : MonthState::Open;
}

long long AppendToChangeLog(const std::string& logPath,
                            const std::vector<ChangeLogEntry>& entries) {
    std::string lines;
    for (const ChangeLogEntry& entry : entries) {
        auto encoded = Utf8ToCp1252(ComposeChangeLogLine(entry));
        if (!encoded) {
            // Only a login name can hold such a character; the log keeps it
            // readable for the programs that share these files.
            std::string plain;
            for (const unsigned char c : ComposeChangeLogLine(entry)) {
                plain += c < 0x80 ? static_cast<char>(c) : '?';
            }
            encoded = plain;
        }
        lines += *encoded;
        lines += "\r\n";
    }

    // A log that someone made read-only is left so, also for root.
    struct stat st {};
    if (::stat(logPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        Fail(kLogNotWrittenMessage, logPath);
    }
    // Without waiting: a pipe under the log's name would otherwise hold the
    // program until some other program reads it.
    const int fd =
        ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail(kLogNotWrittenMessage, logPath);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(kLogNotWrittenMessage, logPath);
    }
    const off_t size = st.st_size;
    if (size == 0) {
        lines = std::string(kChangeLogHeading) + "\r\n" + lines;
    }
    if (!WriteAll(fd, lines) || ::fsync(fd) != 0) {
        // Whatever reached the file of these lines is taken back, so that the
        // log never ends in a broken line nor names a change that was not
        // stored. The folder lock keeps every other writer out meanwhile.
        if (::ftruncate(fd, size) == 0) {
            ::fsync(fd);
        }
        ::close(fd);
        Fail(kLogNotWrittenMessage, logPath);
    }
    ::close(fd);
    if (size == 0) {
        // A new log must also be found after a power cut.
        SyncFolder(FolderOf(logPath));
    }
    return static_cast<long long>(size);
}

void TakeBackFromChangeLog(const std::string& logPath, long long size) {
    const int fd = ::open(logPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (::ftruncate(fd, static_cast<off_t>(size)) == 0) {
        ::fsync(fd);
    }
    ::close(fd);
}

}  // namespace kolvaro
