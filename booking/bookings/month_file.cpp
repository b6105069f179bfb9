#include "bookings/month_file.h"

#include <algorithm>
#include <stdexcept>

#include "bookings/publisher.h"
#include "bookings/totals.h"
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

// A date as a day line may hold it: "01.12.2026" as written, and also
// "1.12.2026" or "01.12.26" as a spreadsheet or a person writes it back.
struct LooseDate {
    int day = 0;
    int month = 0;
    int year = 0;
    bool twoDigitYear = false;
};

std::optional<int> Digits(std::string_view text, std::size_t minCount, std::size_t maxCount) {
    if (text.size() < minCount || text.size() > maxCount) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<LooseDate> ReadLooseDate(std::string_view text) {
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto day = Digits(text.substr(0, first), 1, 2);
    const auto month = Digits(text.substr(first + 1, second - first - 1), 1, 2);
    const std::string_view yearText = text.substr(second + 1);
    const auto year =
        yearText.size() == 2 || yearText.size() == 4 ? Digits(yearText, 2, 4) : std::nullopt;
    if (!day || !month || !year) {
        return std::nullopt;
    }
    return LooseDate{*day, *month, *year, yearText.size() == 2};
}

// A two-digit year stands for the year of the row that ends in it.
bool SameDay(const LooseDate& read, const LooseDate& row) {
    const int year = read.twoDigitYear ? row.year % 100 : row.year;
    return read.day == row.day && read.month == row.month && read.year == year;
}

constexpr std::size_t kDayLineFieldsRead = 6;

// The first six fields of a line that may be a day line: separated by ";"
// as written, or by "," where a spreadsheet saved the file with its own
// separator (a day line of ours holds no comma, so a line without ";" uses
// ","). The last field needs no separator after it. A field in double quotes
// ("07:30", as a spreadsheet quotes text) stands for what is between them;
// a quote anywhere else is part of the text.
void SplitDayLine(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    const char separator = line.find(';') != std::string_view::npos ? ';' : ',';
    std::size_t at = 0;
    while (fields.size() < kDayLineFieldsRead) {
        const std::size_t end = std::min(line.find(separator, at), line.size());
        std::string_view field = line.substr(at, end - at);
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"' &&
            field.substr(1, field.size() - 2).find('"') == std::string_view::npos) {
            field = field.substr(1, field.size() - 2);
        }
        fields.emplace_back(field);
        if (end == line.size()) {
            break;
        }
        at = end + 1;
    }
}

}  // namespace

std::string BookingCellText(std::string_view field) {
    // "07:30:00": a spreadsheet that took the time for a number of its own
    // writes it with seconds; the program's times have whole minutes.
    if ((field.size() == 7 || field.size() == 8) && field.ends_with(":00")) {
        const std::string_view time = field.substr(0, field.size() - 3);
        const std::size_t colon = time.find(':');
        if (colon != std::string_view::npos && Digits(time.substr(0, colon), 1, 2) &&
            Digits(time.substr(colon + 1), 2, 2)) {
            return (colon == 1 ? "0" : "") + std::string(time);
        }
    }
    return std::string(field);
}

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

    std::vector<std::optional<LooseDate>> rowDates(dateRows.size());
    for (std::size_t row = 1; row < dateRows.size(); ++row) {
        if (!dateRows[row].date.empty()) {  // a row without a day takes no bookings
            rowDates[row] = ReadLooseDate(dateRows[row].date);
        }
    }

    // A day line is found by its date wherever it stands: a title line put
    // on top or an empty line taken out by hand moves every line after it.
    std::vector<BookingDay> days(dateRows.size());
    bool anyDay = false;
    std::vector<std::string> fields;
    for (const std::string& line : lines) {
        SplitDayLine(line, fields);
        if (fields.size() < 2) {
            continue;
        }
        const std::optional<LooseDate> date = ReadLooseDate(fields[1]);
        if (!date) {
            continue;
        }
        for (std::size_t row = 1; row < dateRows.size(); ++row) {
            if (!rowDates[row] || !SameDay(*date, *rowDates[row]) ||
                fields[0] != dateRows[row].weekday || loaded.cells[row][0]) {
                continue;  // the first line of a day counts
            }
            for (std::size_t column = 0; column < 4; ++column) {
                const std::string_view field =
                    column + 2 < fields.size() ? std::string_view(fields[column + 2]) : "";
                days[row].cells[column] = BookingCellText(field);
                loaded.cells[row][column] = days[row].cells[column];
            }
            anyDay = true;
            break;
        }
    }
    if (!anyDay) {
        return loaded;  // nothing of this month: nothing to show, not even a total
    }

    // "Tag", "Summe" and the total always come from the times: a spreadsheet
    // that saved the file may have emptied or reformatted the stored ones.
    std::vector<BookingDay> dayLines(days.begin() + 1, days.end());
    loaded.totalCaption = ComputeTotals(dayLines);
    for (std::size_t row = 1; row < dateRows.size(); ++row) {
        if (rowDates[row]) {
            loaded.cells[row][4] = dayLines[row - 1].cells[4];
            loaded.cells[row][5] = dayLines[row - 1].cells[5];
        }
    }
    return loaded;
}

LoadedMonth ParseMonthFile(std::string_view bytes, const std::vector<DayIdentity>& dateRows) {
    return ParseMonthLines(SplitMonthFile(bytes), dateRows);
}

}  // namespace kolvaro
