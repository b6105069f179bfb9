#include "settings.h"

#include <algorithm>
#include <utility>

#include "durable_file.h"
#include "failure.h"
#include "holidays.h"
#include "time_text.h"

namespace kolvaro {

namespace {

constexpr int kHighestNumber = 9999;

}  // namespace

Settings::Settings(std::string path) : file_(std::move(path)) {}

Settings::OneRead::OneRead(const Settings* settings)
    : outermost_(settings != nullptr && !settings->oneRead_ ? settings : nullptr) {
    if (outermost_ != nullptr) {
        outermost_->oneRead_ = true;
    }
}

Settings::OneRead::~OneRead() {
    if (outermost_ != nullptr) {
        outermost_->oneRead_ = false;
        outermost_->document_.reset();
        outermost_->bytes_.reset();
        outermost_->freeNumber_.reset();
    }
}

std::shared_ptr<const ProfileDocument> Settings::Document() const {
    if (!oneRead_) {
        return std::make_shared<const ProfileDocument>(file_.Load());
    }
    if (!document_) {
        // The bytes the list was read from, if it came first: one reading.
        document_ = std::make_shared<const ProfileDocument>(
            file_.Parse(bytes_ ? std::move(*bytes_) : file_.LoadBytes()));
        bytes_.reset();
    }
    return document_;
}

std::string_view Settings::ListBytes() const {
    if (!bytes_) {
        if (!document_) {
            bytes_ = file_.LoadBytes();
        } else if (const auto unchanged = document_->Unchanged()) {
            return *unchanged;
        } else {
            bytes_ = document_->Bytes();
        }
    }
    return *bytes_;
}

std::shared_ptr<const ProfileDocument> Settings::GlobalDocument() const {
    if (oneRead_) {
        return Document();  // one reading answers every question of the operation
    }
    return std::make_shared<const ProfileDocument>(file_.LoadUntilEndOf("Global"));
}

template <typename Change>
void Settings::Rewrite(Change change) {
    // Never from the OneRead's document: another program may have changed
    // the file since, and its change must not be undone. Such a program
    // waits for the lock meanwhile.
    const FolderLock turn(file_.Path());
    ProfileDocument document = file_.LoadForChange();
    std::optional<std::string> written;
    if (change(document)) {
        written = file_.Save(document);
    }
    if (oneRead_) {
        // What follows in the operation sees the file as this write left it,
        // with whatever another program had changed before: the list is read
        // from the very bytes written, without reading them back.
        document_ = std::make_shared<const ProfileDocument>(std::move(document));
        bytes_ = std::move(written);
        freeNumber_.reset();
    }
}

Mode Settings::ReadMode() const {
    return GlobalDocument()->ReadBool("Global", "AutoBuchung", false) ? Mode::Generation
                                                                      : Mode::Journal;
}

std::string Settings::ReadExportDirectory(const std::string& programDirectory) const {
    std::string directory = Document()->ReadString("Export", "Pfad", programDirectory);
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

void Settings::WriteExportDirectory(const std::string& directory) {
    Rewrite([&](ProfileDocument& document) {
        document.WriteString("Export", "Pfad", directory);
        return true;
    });
}

std::optional<std::string> Settings::ReadFederalState() const {
    return FederalStateCode(GlobalDocument()->ReadString("Global", "Bundesland", ""));
}

void Settings::WriteFederalState(const std::optional<std::string>& code) {
    Rewrite([&](ProfileDocument& document) {
        const std::string value = code.value_or("");
        if (FederalStateCode(document.ReadString("Global", "Bundesland", "")) ==
            FederalStateCode(value)) {
            return false;  // already so: the file keeps its bytes
        }
        document.WriteString("Global", "Bundesland", value);
        return true;
    });
}

namespace {

// 1 to 9999 for the name of an employee's section (four digits), 0 otherwise.
int EmployeeNumberOf(std::string_view sectionName) {
    if (sectionName.size() != 4) {
        return 0;
    }
    int number = 0;
    for (const char c : sectionName) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

EmployeeList ListEmployees(std::string_view fileBytes, bool withEntries) {
    EmployeeList list;
    std::vector<int> numbers;  // of the entries, in the order of the file
    std::vector<unsigned char> seen(kHighestNumber + 1, 0);
    std::vector<unsigned char> used(kHighestNumber + 1, 0);
    if (withEntries) {
        // At most one entry per header: an upper bound that wastes little.
        numbers.reserve(kHighestNumber);
        list.entries.reserve(std::min<std::size_t>(kHighestNumber, fileBytes.size() / 16));
    }
    ProfileScan scan(fileBytes);
    while (scan.Next()) {
        const int i = EmployeeNumberOf(scan.Name());
        if (i == 0 || seen[static_cast<std::size_t>(i)] != 0) {
            continue;  // a later section of a name already seen never counts
        }
        seen[static_cast<std::size_t>(i)] = 1;
        static constexpr std::string_view kKeys[] = {"Nummer", "Name"};
        std::string_view stored[2];
        scan.FindValues(kKeys, stored, withEntries ? 2 : 1);
        // A value read is empty exactly when it is stored empty or as "" or ''.
        if (!ProfileScan::Found(stored[0]) || stored[0].empty() ||
            (stored[0].size() == 2 && (stored[0] == "\"\"" || stored[0] == "''"))) {
            continue;
        }
        used[static_cast<std::size_t>(i)] = 1;
        if (!withEntries) {
            continue;
        }
        // Composed where it stays: the number and the blanks fit into the
        // string itself, the name then takes one allocation of its size.
        std::string& entry = list.entries.emplace_back();
        scan.AppendValueRead(stored[0], entry);
        entry.append(8, ' ');
        if (ProfileScan::Found(stored[1])) {
            scan.AppendValueRead(stored[1], entry);
        }
        numbers.push_back(i);
    }
    // Mostly in order already, as new numbers tend to come last. The numbers
    // are section names that count, so no two are alike.
    if (!std::is_sorted(numbers.begin(), numbers.end())) {
        std::vector<std::size_t> order(numbers.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            order[k] = k;
        }
        std::sort(order.begin(), order.end(),
                  [&numbers](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
        std::vector<std::string> sorted;
        sorted.reserve(order.size());
        for (const std::size_t k : order) {
            sorted.push_back(std::move(list.entries[k]));
        }
        list.entries = std::move(sorted);
    }
    for (int i = 1; i <= kHighestNumber; ++i) {
        if (used[static_cast<std::size_t>(i)] == 0) {
            list.freeNumber = ZeroPad(i, 4);
            break;
        }
    }
    return list;
}

std::vector<std::string> Settings::LoadEmployeeList() const {
    // The list needs no document: one pass over the bytes, decoding only
    // the two values of each entry.
    if (!oneRead_) {
        return ListEmployees(file_.LoadBytes()).entries;
    }
    EmployeeList list = ListEmployees(ListBytes());
    freeNumber_ = std::move(list.freeNumber);
    return std::move(list.entries);
}

std::optional<std::string> Settings::FindFreeNumber() const {
    if (!oneRead_) {
        return ListEmployees(file_.LoadBytes(), false).freeNumber;
    }
    if (!freeNumber_) {
        freeNumber_ = ListEmployees(ListBytes(), false).freeNumber;
    }
    return *freeNumber_;
}

EmployeeRecord Settings::ReadEmployee(std::string_view firstFour) const {
    const auto read = Document();
    const ProfileDocument& document = *read;
    EmployeeRecord record;
    record.number = document.ReadString(firstFour, "Nummer", "");
    // The other keys come from the section that the stored number names.
    const std::string& section = record.number;
    record.name = document.ReadString(section, "Name", "");
    for (std::size_t i = 0; i < kDayKeys.size(); ++i) {
        record.days[i] = document.ReadBool(section, kDayKeys[i], false);
    }
    for (std::size_t i = 0; i < kTimeKeys.size(); ++i) {
        record.times[i] = document.ReadString(section, kTimeKeys[i], "00:00");
    }
    return record;
}

void Settings::WriteEmployee(const EmployeeRecord& record) {
    // All seventeen keys go into the file in one rewrite: either the whole
    // record is saved or, when a text cannot be stored or the file cannot be
    // written, nothing is.
    Rewrite([&](ProfileDocument& document) {
        const std::string& section = record.number;
        document.WriteString(section, "Nummer", record.number);
        document.WriteString(section, "Name", record.name);
        for (std::size_t i = 0; i < kDayKeys.size(); ++i) {
            document.WriteBool(section, kDayKeys[i], record.days[i]);
        }
        for (std::size_t i = 0; i < kTimeKeys.size(); ++i) {
            document.WriteString(section, kTimeKeys[i], record.times[i]);
        }
        return true;
    });
}

void Settings::DeleteEmployee(std::string_view number) {
    Rewrite([&](ProfileDocument& document) { return document.EraseSection(number); });
}

std::optional<std::string> TimeBoundForField(std::string_view stored) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (stored.size() == 5 && isDigit(stored[0]) && isDigit(stored[1]) && stored[2] == ':' &&
        isDigit(stored[3]) && isDigit(stored[4])) {
        return std::string(stored);
    }
    try {
        const std::string time = TimeToStr(StrToTime(stored));  // HH:MM:SS
        if (time.ends_with(":00")) {
            return time.substr(0, 5);
        }
    } catch (const Failure&) {
    }
    return std::nullopt;
}

std::string NormalizeNumber(std::string_view fieldText) {
    std::string number(fieldText);
    for (char& c : number) {
        if (c == ' ') {
            c = '0';
        }
    }
    return number;
}

std::string ListEntry(std::string_view number, std::string_view name) {
    std::string entry;
    entry.reserve(number.size() + 8 + name.size());
    entry.append(number);
    entry.append(8, ' ');
    entry.append(name);
    return entry;
}

std::string NumberOfEntry(std::string_view entry) {
    // Four characters, not bytes: a continuation byte belongs to the
    // character before it.
    std::size_t end = 0;
    for (int characters = 0; characters < 4 && end < entry.size(); ++characters) {
        ++end;
        while (end < entry.size() && (static_cast<unsigned char>(entry[end]) & 0xC0) == 0x80) {
            ++end;
        }
    }
    return std::string(entry.substr(0, end));
}

}  // namespace kolvaro
