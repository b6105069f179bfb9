#include "bookings/export_file.h"

#include "data/durable_file.h"
#include "data/failure.h"

namespace kolvaro {

namespace {

// Arrival and the return from the break count as coming, the start of the
// break and leaving as going.
constexpr std::array<std::string_view, 4> kKindCodes = {"00", "??", "00", "??"};

// Characters `from` (counted from 1) to `from + width − 1` of `text`, filled
// up with blanks where the text is shorter: a short or long text never shifts
// the fields after it.
void AppendField(std::string& record, std::string_view text, std::size_t from, std::size_t width) {
    std::string_view part = from - 1 < text.size() ? text.substr(from - 1, width) : "";
    record.append(part);
    record.append(width - part.size(), ' ');
}

}  // namespace

std::string ExportRecord(std::string_view employeeNumber, std::string_view date,
                         std::string_view time, int column) {
    std::string record;
    record.reserve(kExportRecordLength);
    record += '\x18';
    record += "01";
    record += '\x02';
    record += "01";
    AppendField(record, date, 1, 2);  // day
    AppendField(record, date, 4, 2);  // month
    AppendField(record, date, 9, 2);  // year, last two digits
    AppendField(record, time, 1, 2);  // hour
    AppendField(record, time, 4, 2);  // minute
    record += "00";                   // seconds
    AppendField(record, employeeNumber, 1, 4);
    record += kKindCodes.at(static_cast<std::size_t>(column));
    record += '\x03';
    record.append(56, ' ');
    return record;
}

std::string ExportBytes(std::string_view employeeNumber, const std::vector<ExportRow>& rows) {
    std::string bytes;
    for (const ExportRow& row : rows) {
        for (int column = 0; column < 4; ++column) {
            const std::string& time = row.bookings[static_cast<std::size_t>(column)];
            if (!time.empty()) {
                bytes += ExportRecord(employeeNumber, row.date, time, column);
            }
        }
    }
    bytes += "\r\n";
    return bytes;
}

std::string ExportPath(std::string_view exportDirectory) {
    return std::string(exportDirectory) + std::string(kExportFileName);
}

void WriteExportFile(std::string_view exportDirectory, std::string_view bytes) {
    const std::string path = ExportPath(exportDirectory);
    if (!WriteFileDurably(path, bytes)) {
        Fail("Datei %s kann nicht erstellt werden", path);
    }
}

std::string ExportDirectoryFromEntry(std::string_view entry) {
    std::string directory(entry);
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

}  // namespace kolvaro
