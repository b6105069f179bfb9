#include "fault_files.h"

#include <stdlib.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "bookings/export_file.h"
#include "bookings/month_file.h"
#include "bookings/period.h"
#include "data/failure.h"
#include "data/settings.h"
#include "data/time_text.h"

namespace kolvaro::faults {

namespace {

namespace fs = std::filesystem;

std::string SettingsPath(const std::string& folder) {
    return folder + "/velmora.ini";
}

void WriteSettings(const std::string& folder, int version) {
    EmployeeRecord record;
    record.number = "0007";
    record.name = "Müller " + std::to_string(version);
    record.days = {true, true, true, true, version % 2 == 0, false, false};
    record.times = {"07:00", "07:30", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"};
    Settings(SettingsPath(folder)).WriteEmployee(record);
}

std::string MonthPath(const std::string& folder) {
    return MonthFileName(folder, "0007", "29.02.2008");
}

void WriteMonth(const std::string& folder, int version) {
    std::vector<DayIdentity> dates = {{"", "Datum"}};
    std::vector<BookingDay> days = {{{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}}};
    for (const DayIdentity& day : CheckPeriod("01.02.2008", "29.02.2008").days) {
        dates.push_back(day);
        days.push_back({});
    }
    days[4].cells = {"07:52", "12:10", "12:41", "16:35", "08:12", "8:12"};
    days[5 + version % 20].cells[0] = "08:" + std::to_string(10 + version % 50);
    // The total names the version, so that every version is told apart.
    SaveMonthFile(MonthPath(folder), ComposeMonthLines("0007        Müller", dates, days,
                                                       std::to_string(version) + ":00 "));
}

std::string ExportFilePath(const std::string& folder) {
    return ExportPath(folder + "/");
}

void WriteExport(const std::string& folder, int version) {
    std::vector<ExportRow> rows;
    for (int day = 1; day <= 3 + version % 5; ++day) {
        rows.push_back({DateText(day, 2, 2008), {"07:00", "12:00", "12:30", "16:00"}});
    }
    WriteExportFile(folder + "/", ExportBytes("0007", rows));
}

}  // namespace

const std::vector<WrittenFile>& WrittenFiles() {
    static const std::vector<WrittenFile> files = {
        {"Settings", SettingsPath, WriteSettings, "Nach %s kann nicht geschrieben werden", true},
        {"MonthFile", MonthPath, WriteMonth, "Datei %s kann nicht erstellt werden", true},
        {"ExportFile", ExportFilePath, WriteExport, "Datei %s kann nicht erstellt werden", false},
    };
    return files;
}

Folder::~Folder() {
    if (mounted_) {
        ::umount2(Path().c_str(), MNT_DETACH);
    }
}

bool Folder::MountTmpfs(const std::string& options, std::string& why) {
    if (::mount("tmpfs", Path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
        why = "mounting a tmpfs (" + options + ") is refused here: " + std::strerror(errno);
        return false;
    }
    mounted_ = true;
    return true;
}

bool Folder::RemountReadOnly(std::string& why) {
    if (::mount(nullptr, Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        why = std::string("remounting the tmpfs read-only is refused: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<std::string> Folder::Names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(Path(), error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string MessageFor(const WrittenFile& file, const std::string& path) {
    return FormatMessage(file.message, path);
}

bool IsTemporaryOf(const std::string& name, const std::string& file) {
    const std::string prefix = "." + file + ".";
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace kolvaro::faults
