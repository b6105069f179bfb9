#pragma once

// A month file as the program writes it, and the same file as it came back
// from a spreadsheet (LibreOffice Calc 7.4, saved with Ctrl+S and "keep the
// current format") or from a text editor, each as measured: the table for
// the machines without a spreadsheet.

#include <algorithm>
#include <string>
#include <vector>

#include "bookings/booking_day.h"
#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/cp1252.h"

namespace kolvaro::spreadsheet {

inline const std::string kEntry = "0007        Müller";

struct Grids {
    std::vector<DayIdentity> dates;
    std::vector<BookingDay> bookings;
};

// December 2026, every day booked 07:30-12:00 and 12:30-16:00 (8:00 a day).
inline const Grids& December2026() {
    static const Grids grids = [] {
        Grids g;
        g.dates.push_back({"", "Datum"});
        g.bookings.push_back({{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}});
        for (const DayIdentity& day : CheckPeriod("01.12.2026", "31.12.2026").days) {
            g.dates.push_back(day);
            g.bookings.push_back({{"07:30", "12:00", "12:30", "16:00"}});
        }
        std::vector<BookingDay> days(g.bookings.begin() + 1, g.bookings.end());
        ComputeTotals(days);
        std::copy(days.begin(), days.end(), g.bookings.begin() + 1);
        return g;
    }();
    return grids;
}

inline std::vector<std::string> CleanLines() {
    return ComposeMonthLines(kEntry, December2026().dates, December2026().bookings, "248:00 ");
}

inline std::string CleanFile() {
    return EncodeMonthLines(CleanLines());
}

// The fields of a line as written: every field ends with ";".
inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at = line.find(';'); at != std::string::npos; at = line.find(';', start)) {
        fields.push_back(line.substr(start, at - start));
        start = at + 1;
    }
    if (start < line.size()) {
        fields.push_back(line.substr(start));
    }
    return fields;
}

inline std::string Join(const std::vector<std::string>& lines, const char* end) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + end;
    }
    return bytes;
}

// Calc read the file as UTF-8: the Windows-1252 umlaut of the name is no
// UTF-8 and comes back as U+FFFD.
inline std::string AsCalcReadsIt(const std::string& line) {
    std::string out;
    for (const char c : line) {
        out +=
            static_cast<unsigned char>(c) >= 0x80 ? std::string("\xEF\xBF\xBD") : std::string(1, c);
    }
    return out;
}

// Each line's fields, padded to eight and joined with ",", each changed by
// `field` first; lines end in LF, the name's umlaut as Calc read it.
template <typename FieldRule>
std::string CalcDefaults(FieldRule field) {
    std::string bytes;
    for (const std::string& line : CleanLines()) {
        std::vector<std::string> fields = Fields(line);
        fields.resize(std::max<std::size_t>(fields.size(), 8));
        std::string joined;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            joined += (i ? "," : "") + field(i, fields[i]);
        }
        bytes += AsCalcReadsIt(Utf8ToCp1252(joined).value()) + "\n";
    }
    return bytes;
}

// "07:30" -> "07:30:00", "8:00" -> "08:00:00", "248:00" -> "248:00:00".
inline std::string WithSeconds(const std::string& field) {
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos || field.size() != colon + 3 || field.back() == ' ') {
        return field;
    }
    return (colon == 1 ? "0" : "") + field + ":00";
}

// "01.12.2026" -> "01.12.26".
inline std::string TwoDigitYear(const std::string& field) {
    return field.size() == 10 && field[2] == '.' && field[5] == '.'
               ? field.substr(0, 6) + field.substr(8)
               : field;
}

struct SavedCase {
    const char* what;
    std::string bytes;
    bool keepOriginal;  // the program writes other bytes back
};

inline std::vector<SavedCase> SavedCases() {
    std::vector<SavedCase> cases;
    const auto same = [](std::size_t, const std::string& f) { return f; };
    cases.push_back({"Calc, the import dialog's defaults", CalcDefaults(same), true});
    cases.push_back({"Calc, detect special numbers",
                     CalcDefaults([](std::size_t i, const std::string& f) {
                         return i == 1 ? TwoDigitYear(f) : WithSeconds(f);
                     }),
                     true});
    cases.push_back({"Calc, quote all text cells",
                     CalcDefaults([](std::size_t, const std::string& f) {
                         return f.empty() ? f : "\"" + f + "\"";
                     }),
                     true});
    {
        // Saved with ";" kept: only the separator after the last field goes.
        std::vector<std::string> lines = CleanLines();
        for (std::string& line : lines) {
            if (!line.empty() && line.back() == ';') {
                line.pop_back();
            }
        }
        cases.push_back({"Calc, \";\" kept", EncodeMonthLines(lines), true});
    }
    {
        std::vector<std::string> lines = CleanLines();
        lines.insert(lines.begin(), "Monatsjournal Dezember 2026");
        cases.push_back({"title line inserted at the top", EncodeMonthLines(lines), true});
    }
    {
        std::vector<std::string> lines = CleanLines();
        lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
        cases.push_back({"empty lines removed", EncodeMonthLines(lines), true});
    }
    {
        std::vector<std::string> lines = CleanLines();
        for (std::string& line : lines) {
            if (line.size() > 4 && line[2] == ';' && line[3] == '0') {
                line.erase(3, 1);  // "Di;01.12.2026;" -> "Di;1.12.2026;"
            }
        }
        cases.push_back({"dates without leading zeros", EncodeMonthLines(lines), true});
    }
    {
        std::vector<std::string> lines = CleanLines();
        lines[2] += "Bemerkung;";
        lines[5] += "Arzttermin am Nachmittag;";
        for (std::size_t i = 6; i < 34; ++i) {
            lines[i] += ";";
        }
        cases.push_back({"a column \"Bemerkung\" added", EncodeMonthLines(lines), true});
    }
    {
        std::vector<std::string> lines = CleanLines();
        lines[0] = ";0007        Müller-Lüdenscheidt";
        cases.push_back({"another name line", EncodeMonthLines(lines), true});
    }
    cases.push_back({"as the program writes it", CleanFile(), false});
    return cases;
}

}  // namespace kolvaro::spreadsheet
