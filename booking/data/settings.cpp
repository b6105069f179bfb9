#include "settings.h"

#include <utility>

#include "time_text.h"

namespace kolvaro {

namespace {

constexpr int kHighestNumber = 9999;

}  // namespace

Settings::Settings(std::string path) : file_(std::move(path)) {}

Mode Settings::ReadMode() const {
    return file_.ReadBool("Global", "AutoBuchung", false) ? Mode::Generation : Mode::Journal;
}

std::string Settings::ReadExportDirectory(const std::string& programDirectory) const {
    std::string directory = file_.ReadString("Export", "Pfad", programDirectory);
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

void Settings::WriteExportDirectory(const std::string& directory) {
    file_.WriteString("Export", "Pfad", directory);
}

std::vector<std::string> Settings::LoadEmployeeList() const {
    // One read of the file; every number is then looked up in memory.
    const ProfileDocument document = file_.Load();
    std::vector<std::string> entries;
    for (int i = 1; i <= kHighestNumber; ++i) {
        const std::string section = ZeroPad(i, 4);
        const std::string number = document.ReadString(section, "Nummer", "");
        if (!number.empty()) {
            entries.push_back(number + "        " + document.ReadString(section, "Name", ""));
        }
    }
    return entries;
}

std::optional<std::string> Settings::FindFreeNumber() const {
    const ProfileDocument document = file_.Load();
    for (int i = 1; i <= kHighestNumber; ++i) {
        std::string section = ZeroPad(i, 4);
        if (document.ReadString(section, "Nummer", "").empty()) {
            return section;
        }
    }
    return std::nullopt;
}

EmployeeRecord Settings::ReadEmployee(std::string_view firstFour) const {
    const ProfileDocument document = file_.Load();
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
    ProfileDocument document = file_.Load();
    const std::string& section = record.number;
    document.WriteString(section, "Nummer", record.number);
    document.WriteString(section, "Name", record.name);
    for (std::size_t i = 0; i < kDayKeys.size(); ++i) {
        document.WriteBool(section, kDayKeys[i], record.days[i]);
    }
    for (std::size_t i = 0; i < kTimeKeys.size(); ++i) {
        document.WriteString(section, kTimeKeys[i], record.times[i]);
    }
    file_.Save(document);
}

void Settings::DeleteEmployee(std::string_view number) {
    file_.EraseSection(number);
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

}  // namespace kolvaro
