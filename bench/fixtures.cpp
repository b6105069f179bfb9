#include "fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "data/cp1252.h"
#include "data/time_text.h"

namespace bench {

namespace {

const char* const kFirstNames[] = {
    "Jürgen", "Jörg",  "Björn",    "Sören",   "Günther", "Käthe", "Hannelore", "Özlem",
    "Ulrike", "Renée", "Matthäus", "Bärbel",  "Dörte",   "Heinz", "Grete",     "Lukas",
    "Zoë",    "André", "Jürgen",   "Mareike", "Tobias",  "Ünal",  "Françoise", "Thorsten"};
const char* const kSurnames[] = {"Müller",     "Schäfer",  "Weiß",          "Groß",     "Köhler",
                                 "Schröder",   "Krüger",   "Hoffmann",      "Jäger",    "Böhm",
                                 "Fuß",        "Wöhrle",   "Meier",         "Lübke",    "Strauß",
                                 "Dürrenmatt", "Günaydin", "Nußbaum",       "Özdemir",  "Brückner",
                                 "Schütz",     "Hölzl",    "Große-Wächter", "von Bülow"};

std::string Clock(int minutes) {
    return kolvaro::ZeroPad(minutes / 60, 2) + ":" + kolvaro::ZeroPad(minutes % 60, 2);
}

}  // namespace

std::vector<kolvaro::EmployeeRecord> MakeEmployees(int count) {
    std::vector<kolvaro::EmployeeRecord> employees;
    employees.reserve(static_cast<std::size_t>(count));
    constexpr std::size_t firstCount = std::size(kFirstNames);
    constexpr std::size_t surnameCount = std::size(kSurnames);
    for (int i = 1; i <= count; ++i) {
        const auto n = static_cast<std::size_t>(i);
        kolvaro::EmployeeRecord record;
        record.number = kolvaro::ZeroPad(i, 4);
        const char* surname = kSurnames[(n * 7) % surnameCount];
        const char* first = kFirstNames[(n * 5 + n / surnameCount) % firstCount];
        record.name = std::string(surname) + ", " + first;
        for (std::size_t d = 0; d < 7; ++d) {
            // Monday to Friday for most, Saturday for every third, Sunday for few.
            record.days[d] = d < 5 ? (n + d) % 11 != 0 : (d == 5 ? n % 3 == 0 : n % 17 == 0);
        }
        const int begin = 6 * 60 + static_cast<int>(n % 13) * 10;  // 06:00 .. 08:00
        const int pause = 11 * 60 + 30 + static_cast<int>(n % 7) * 5;
        const int end = 15 * 60 + static_cast<int>(n % 19) * 10;
        const int starts[4] = {begin, pause, pause + 30, end};
        for (std::size_t w = 0; w < 4; ++w) {
            record.times[2 * w] = Clock(starts[w]);
            record.times[2 * w + 1] = Clock(starts[w] + 15);
        }
        employees.push_back(std::move(record));
    }
    return employees;
}

std::string SettingsFileBytes(int count) {
    if (count == 0) {
        return {};
    }
    std::string text;
    text += "[Global]\r\nAutoBuchung=0\r\n\r\n[Export]\r\nPfad=/home/buero/Zeiterfassung/\r\n\r\n";
    for (const kolvaro::EmployeeRecord& record : MakeEmployees(count)) {
        text += "[" + record.number + "]\r\n";
        text += "Nummer=" + record.number + "\r\n";
        text += "Name=" + record.name + "\r\n";
        for (std::size_t d = 0; d < 7; ++d) {
            text += std::string(kolvaro::kDayKeys[d]) + "=" + (record.days[d] ? "1" : "0") + "\r\n";
        }
        for (std::size_t t = 0; t < 8; ++t) {
            text += std::string(kolvaro::kTimeKeys[t]) + "=" + record.times[t] + "\r\n";
        }
        text += "\r\n";
    }
    const auto bytes = kolvaro::Utf8ToCp1252(text);
    if (!bytes) {
        throw std::logic_error("fixture text not representable in Windows-1252");
    }
    return *bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

namespace {
std::string& WorkFolderStorage() {
    static std::string folder = KOLVARO_BENCH_DIR;
    return folder;
}
}  // namespace

const std::string& WorkFolder() {
    return WorkFolderStorage();
}

void SetWorkFolder(std::string folder) {
    WorkFolderStorage() = std::move(folder);
}

}  // namespace bench
