#pragma once

// The settings file "velmora.ini": mode, export folder and one section per
// employee. Every operation reads the file anew (it may be edited while the
// program runs) but reads it only once; every write replaces it atomically.
// Nothing is kept between operations.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile_file.h"

namespace kolvaro {

// Said once when the program starts on a settings file that is there but
// cannot be read: the empty list must not look like a company without
// employees, and nothing is written over the file meanwhile.
inline constexpr std::string_view kUnreadableSettingsMessage =
    "Die Datei %s kann nicht gelesen werden. Die Mitarbeiterliste bleibt leer, und in die "
    "Datei wird nichts geschrieben, solange sie nicht gelesen werden kann.";

enum class Mode { Journal, Generation };

// The days in the order of the file's keys: Mo, Di, Mi, Do, Fr, Sa, So.
inline constexpr std::array<const char*, 7> kDayKeys = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
inline constexpr std::array<const char*, 8> kTimeKeys = {
    "BeginnVon",    "BeginnBis",    "PauseBeginnVon", "PauseBeginnBis",
    "PauseEndeVon", "PauseEndeBis", "EndeVon",        "EndeBis"};

struct EmployeeRecord {
    std::string number;  // four characters
    std::string name;
    std::array<bool, 7> days{};        // kDayKeys order
    std::array<std::string, 8> times;  // kTimeKeys order, "HH:MM" as the fields hold them
};

class Settings {
  public:
    explicit Settings(std::string path);

    const std::string& Path() const { return file_.Path(); }

    Mode ReadMode() const;
    std::string ReadExportDirectory(const std::string& programDirectory) const;  // ends in "/"
    void WriteExportDirectory(const std::string& directory);

    // [Global] Bundesland: the state whose public holidays the program shows,
    // as an upper-case code; nothing when the key is absent, empty or unknown.
    std::optional<std::string> ReadFederalState() const;
    // Writes the code, or an empty value for none. Choosing none while the
    // file names no state leaves the file untouched.
    void WriteFederalState(const std::optional<std::string>& code);

    std::vector<std::string> LoadEmployeeList() const;  // "NNNN" + 8 blanks + name
    std::optional<std::string> FindFreeNumber() const;
    EmployeeRecord ReadEmployee(std::string_view firstFour) const;
    void WriteEmployee(const EmployeeRecord& record);  // one rewrite of the file
    void DeleteEmployee(std::string_view number);

    // One operation of the user (a click, say) often asks several of the
    // questions above. While a OneRead lives, they are all answered from one
    // reading of the file, made at the first question; the next operation
    // opens a new one and sees whatever was edited meanwhile. A write inside
    // still reads the file anew and rewrites it under the folder lock; what
    // it wrote then answers the questions that follow. A OneRead opened
    // while another lives, or for no Settings at all, changes nothing.
    class OneRead {
      public:
        explicit OneRead(const Settings* settings);
        ~OneRead();
        OneRead(const OneRead&) = delete;
        OneRead& operator=(const OneRead&) = delete;

      private:
        const Settings* outermost_;  // null when another OneRead was there first
    };

  private:
    // The document to answer one question from: the OneRead's, or a fresh read.
    std::shared_ptr<const ProfileDocument> Document() const;
    // The OneRead's bytes of the file for the employee list, which needs no
    // document: as read, or as last written by the operation.
    std::string_view ListBytes() const;
    // The same for a question about [Global] alone: outside a OneRead, the
    // file is read only as far as its [Global] section goes.
    std::shared_ptr<const ProfileDocument> GlobalDocument() const;
    // Reads the file anew, lets `change` modify it and writes it back when
    // `change` says it changed something, all under the folder lock.
    template <typename Change>
    void Rewrite(Change change);

    ProfileFile file_;
    mutable bool oneRead_ = false;
    mutable std::shared_ptr<const ProfileDocument> document_;  // the OneRead's, once read
    // The OneRead's bytes where the document does not hold them unchanged:
    // read for the list before any document was needed, or written.
    mutable std::optional<std::string> bytes_;
    // The OneRead's free number, found with the list from the same bytes.
    mutable std::optional<std::optional<std::string>> freeNumber_;
};

// The employee list of a settings file's bytes ("NNNN" + 8 blanks + name,
// in the order of the numbers) and the lowest number from 0001 to 9999 that
// no employee has, found in one pass over the bytes. An employee is the
// section that counts of a four-digit name (the first of that name) with a
// value for "Nummer" that is not empty; the entry shows that value and the
// value of "Name", read as the settings file reads them.
struct EmployeeList {
    std::vector<std::string> entries;
    std::optional<std::string> freeNumber;
};
EmployeeList ListEmployees(std::string_view fileBytes, bool withEntries = true);

std::string NormalizeNumber(std::string_view fieldText);  // blanks become "0"

// The text a time field shows for a stored time bound: the value itself when
// it has the field's shape (two digits, ":", two digits, not tested against a
// clock), HH:MM when it reads as a time of day in whole minutes (a hand-edited
// "7:30" becomes "07:30"), and nothing when the field cannot show it without
// changing it into another time.
std::optional<std::string> TimeBoundForField(std::string_view stored);

// The text that stands for an employee in the employee list: the number,
// eight blanks and the name. The month file and the printed journal copy it.
std::string ListEntry(std::string_view number, std::string_view name);

// The number an entry of the employee list stands for: its first four
// characters (UTF-8), whatever follows them.
std::string NumberOfEntry(std::string_view entry);

}  // namespace kolvaro
