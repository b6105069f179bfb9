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
    }
}

std::shared_ptr<const ProfileDocument> Settings::Document() const {
    if (!oneRead_) {
        return std::make_shared<const ProfileDocument>(file_.Load());
    }
    if (!document_) {
        document_ = std::make_shared<const ProfileDocument>(file_.Load());
    }
    return document_;
}

template <typename Change>
void Settings::Rewrite(Change change) {
    // Never from the OneRead's document: another program may have changed
    // the file since, and its change must not be undone. Such a program
    // waits for the lock meanwhile.
    const FolderLock turn(file_.Path());
    ProfileDocument document = file_.LoadForChange();
    if (change(document)) {
        file_.Save(document);
    }
    if (oneRead_) {
        document_ = std::make_shared<const ProfileDocument>(std::move(document));
    }
}

Mode Settings::ReadMode() const {
    return Document()->ReadBool("Global", "AutoBuchung", false) ? Mode::Generation : Mode::Journal;
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
    return FederalStateCode(Document()->ReadString("Global", "Bundesland", ""));
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

std::vector<std::string> Settings::LoadEmployeeList() const {
    // One read of the file and one walk over its sections: the same entries
    // as asking for every number from 1 to 9999, but without 9999 look-ups.
    const auto read = Document();
    const ProfileDocument& document = *read;
    std::vector<std::pair<int, std::string>> found;
    for (const ProfileDocument::SectionEntry& section : document.Sections()) {
        const int i = EmployeeNumberOf(section.name);
        if (i == 0) {
            continue;
        }
        std::optional<std::string> number = document.Value(section, "Nummer");
        if (!number || number->empty()) {
            continue;
        }
        const std::optional<std::string> name = document.Value(section, "Name");
        found.emplace_back(i, ListEntry(*number, name.value_or("")));
    }
    // Mostly in order already, as new numbers tend to come last.
    const auto byNumber = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(found.begin(), found.end(), byNumber)) {
        std::sort(found.begin(), found.end(), byNumber);
    }
    std::vector<std::string> entries;
    entries.reserve(found.size());
    for (auto& [i, entry] : found) {
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> Settings::FindFreeNumber() const {
    const auto read = Document();
    const ProfileDocument& document = *read;
    std::vector<bool> used(kHighestNumber + 1, false);
    for (const ProfileDocument::SectionEntry& section : document.Sections()) {
        const int i = EmployeeNumberOf(section.name);
        if (i != 0 && !document.Value(section, "Nummer").value_or("").empty()) {
            used[static_cast<std::size_t>(i)] = true;
        }
    }
    for (int i = 1; i <= kHighestNumber; ++i) {
        if (!used[static_cast<std::size_t>(i)]) {
            return ZeroPad(i, 4);
        }
    }
    return std::nullopt;
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
