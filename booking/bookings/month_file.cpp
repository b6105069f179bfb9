#include "bookings/month_file.h"

#include <stdexcept>

#include "bookings/publisher.h"
#include "data/cp1252.h"
#include "data/durable_file.h"
#include "data/failure.h"

namespace kolvaro {

namespace {

constexpr std::string_view kUnencodableMessage =
    "Der Text '%s' enthält Zeichen, die in der Monatsdatei nicht gespeichert werden können";
constexpr std::string_view kLineBreakMessage =
    "Der Text '%s' enthält einen Zeilenumbruch und kann nicht in der Monatsdatei gespeichert "
    "werden";

// Up to `count` characters from position `from` (counted from 1); nothing
// when the text is shorter.
std::string_view Part(std::string_view text, std::size_t from, std::size_t count) {
    if (from > text.size()) {
        return {};
    }
    return text.substr(from - 1, count);
}

void CheckSingleLine(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        Fail(kLineBreakMessage, text);
    }
}

// Calls handle(fieldNumber, field) for every field that a ";" ends, numbered
// from 1; characters after the last ";" are never handled.
template <typename Handler>
void ForEachField(std::string_view line, Handler handle) {
    std::size_t start = 0;
    int number = 0;
    for (std::size_t at = line.find(';'); at != std::string_view::npos;
         at = line.find(';', start)) {
        handle(++number, line.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace

std::string MonthFileName(std::string_view programDirectory, std::string_view number,
                          std::string_view endDate) {
    std::string name(programDirectory);
    if (name.empty() || name.back() != '/') {
        name += '/';
    }
    name += number;
    name += '_';
    name += Part(endDate, 4, 2);
    name += Part(endDate, 7, 4);
    name += ".csv";
    return name;
}

std::vector<std::string> ComposeMonthLines(const std::optional<std::string>& listEntry,
                                           const std::vector<DayIdentity>& dateRows,
                                           const std::vector<BookingDay>& bookingRows,
                                           std::string_view totalCaption) {
    if (dateRows.size() != bookingRows.size()) {
        throw std::invalid_argument("date grid and booking grid differ in rows");
    }
    if (!listEntry) {
        throw Failure(std::string(kListIndexMessage));
    }
    std::vector<std::string> lines;
    lines.reserve(bookingRows.size() + 6);
    CheckSingleLine(*listEntry);
    lines.push_back(";" + *listEntry);
    lines.emplace_back();
    for (std::size_t r = 0; r < bookingRows.size(); ++r) {
        std::string line;
        for (std::string_view field :
             {std::string_view(dateRows[r].weekday), std::string_view(dateRows[r].date)}) {
            CheckSingleLine(field);
            line += field;
            line += ';';
        }
        for (const std::string& cell : bookingRows[r].cells) {
            CheckSingleLine(cell);
            line += cell;
            line += ';';
        }
        lines.push_back(std::move(line));
    }
    CheckSingleLine(totalCaption);
    lines.emplace_back();
    lines.push_back(";;;;;;Summe:;" + std::string(totalCaption) + ";");
    lines.emplace_back();
    lines.emplace_back();
    lines.emplace_back(kPublisherLine);
    return lines;
}

std::string EncodeMonthLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        auto encoded = Utf8ToCp1252(line);
        if (!encoded) {
            // Name the field that cannot be stored rather than the whole line.
            const std::string fields = line + ";";
            std::optional<std::string_view> culprit;
            ForEachField(fields, [&](int, std::string_view field) {
                if (!culprit && !Utf8ToCp1252(field)) {
                    culprit = field;
                }
            });
            Fail(kUnencodableMessage, culprit.value_or(line));
        }
        bytes += *encoded;
        bytes += "\r\n";
    }
    return bytes;
}

void SaveMonthFile(const std::string& path, const std::vector<std::string>& lines) {
    const std::string bytes = EncodeMonthLines(lines);
    // A month file that is there but could not be read was shown as an empty
    // month: replacing it would erase every day it holds.
    if (ExistsButUnreadable(path)) {
        Fail(kUnreadableFileMessage, path);
    }
    if (!WriteFileDurably(path, bytes)) {
        Fail(kCannotCreateMessage, path);
    }
}

std::vector<std::string> SplitMonthFile(std::string_view bytes) {
    const std::string text = Cp1252ToUtf8(bytes);
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text, start, at - start);
            at += c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            start = at;
        } else {
            ++at;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text, start);
    }
    return lines;
}

LoadedMonth ParseMonthLines(const std::vector<std::string>& lines,
                            const std::vector<DayIdentity>& dateRows) {
    LoadedMonth loaded;
    loaded.cells.resize(dateRows.size());
    const std::size_t count = lines.size();

    // Day lines: line i (from 1) on row i - 3, from line 4 on. A whole file
    // holds them up to line C - 5; a file that lost its last lines (a cut
    // copy, an editor that dropped the empty ones) has its last days further
    // down. The lines after the days never match a date, so every line may
    // be looked at.
    for (std::size_t i = 4; i <= count; ++i) {
        const std::size_t row = i - 3;
        if (row >= dateRows.size()) {
            break;  // never beyond the grid's last row
        }
        if (dateRows[row].date.empty()) {
            continue;  // a row without a day takes no bookings
        }
        const std::string expected = dateRows[row].weekday + ";" + dateRows[row].date;
        std::string key;
        auto& target = loaded.cells[row];
        ForEachField(lines[i - 1], [&](int number, std::string_view field) {
            if (number == 1) {
                key = field;
            } else if (number == 2) {
                key += ';';
                key += field;
            } else if (number <= 8 && key == expected) {
                target[number - 3] = std::string(field);
            }
        });
    }

    // The summary line: the fourth last, or line 5 in a file of fewer than 8.
    const std::size_t summary = count >= 8 ? count - 3 : 5;
    if (summary <= count) {
        ForEachField(lines[summary - 1], [&](int number, std::string_view field) {
            if (number == 8) {
                loaded.totalCaption = std::string(field);
            }
        });
    }
    return loaded;
}

LoadedMonth ParseMonthFile(std::string_view bytes, const std::vector<DayIdentity>& dateRows) {
    return ParseMonthLines(SplitMonthFile(bytes), dateRows);
}

}  // namespace kolvaro
