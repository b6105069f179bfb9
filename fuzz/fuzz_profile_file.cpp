// The settings file reader on any bytes, followed by a run of lookups and
// changes that the rest of the input chooses. Besides never crashing:
// - an untouched file is written back line for line, every line ending in CR LF,
//   a UTF-8 byte-order mark in front kept as it is;
// - a value that was written reads back as written (one line, blanks around
//   it trimmed, quotes of its own kept), or was refused: one longer than the
//   longest value that is read is never written;
// - no value reads longer than the longest value that is read;
// - what is written reads back the same after the bytes are read anew, and
//   writing those again gives the same bytes;
// - the employee list and the free number read in one pass over the bytes
//   are exactly those the document gives, for the file as read and for the
//   bytes written after the changes (which must also be those of the
//   changed document itself: the list after a save is read from them).

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../tests/data/employee_list_reference.h"
#include "data/cp1252.h"
#include "data/profile_file.h"
#include "data/settings.h"
#include "fuzz_check.h"

namespace {

using kolvaro::ProfileDocument;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The bytes with every line end (CR LF, CR or LF) made CR LF and one added
// after a last line that has none; a byte-order mark is no line of its own.
std::string WithCrLf(std::string_view bytes) {
    std::string out;
    if (bytes.starts_with(kByteOrderMark)) {
        out += kByteOrderMark;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        const char c = bytes[at];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            at += (c == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ? 2 : 1;
        } else {
            out += c;
            ++at;
        }
    }
    if (!bytes.empty() && !out.ends_with("\r\n")) {
        out += "\r\n";
    }
    return out;
}

std::string Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// Names are compared without regard to the case of the letters A to Z.
std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The characters of UTF-8 text.
std::size_t Characters(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// What reading gives for a value that was written: line breaks as blanks,
// trimmed.
std::string AsRead(std::string_view utf8) {
    std::string oneLine;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' || utf8[i] == '\n') {
            if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
                ++i;
            }
            oneLine += ' ';
        } else {
            oneLine += utf8[i];
        }
    }
    return Trim(oneLine);
}

// Names and values: mostly from a few that collide on purpose (case, blanks),
// sometimes any text. Text from the input is taken as Windows-1252 bytes so
// that most of it can be stored; sometimes as raw bytes, which often cannot.
std::string Text(FuzzedDataProvider& input, std::initializer_list<const char*> usual) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
        case 1: {
            const auto pick = input.ConsumeIntegralInRange<std::size_t>(0, usual.size() - 1);
            return usual.begin()[pick];
        }
        case 2:
            return kolvaro::Cp1252ToUtf8(input.ConsumeRandomLengthString(40));
        default:
            return input.ConsumeRandomLengthString(40);
    }
}

void SameList(const kolvaro::EmployeeList& fast, const kolvaro::EmployeeList& reference,
              std::string_view bytes) {
    kolvaro::fuzz::Check(fast.entries == reference.entries,
                         "employee list differs from the document's", bytes);
    kolvaro::fuzz::Check(fast.freeNumber == reference.freeNumber,
                         "free number differs from the document's", bytes);
    kolvaro::fuzz::Check(kolvaro::ListEmployees(bytes, false).freeNumber == reference.freeNumber,
                         "free number without the list differs", bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kolvaro::Failure;
    using kolvaro::fuzz::Check;
    FuzzedDataProvider input(data, size);
    const std::string file = input.ConsumeRandomLengthString(4096);
    ProfileDocument document(file);
    Check(document.Bytes() == WithCrLf(file), "untouched file not written back as read", file);
    SameList(kolvaro::ListEmployees(file), kolvaro::reference::EmployeeListOf(document), file);

    // The last value written under each (section, key) that was accepted,
    // the names in lower case as they are compared.
    std::map<std::pair<std::string, std::string>, std::string> written;
    int steps = 0;
    while (input.remaining_bytes() > 0 && ++steps < 64) {
        const std::string section =
            Text(input, {"Global", "global", "0001", " 0001 ", "Export", "[x]", ""});
        const std::string key =
            Text(input, {"AutoBuchung", "autobuchung", "Nummer", "Name", " Mo", ";k", "a=b"});
        switch (input.ConsumeIntegralInRange(0, 4)) {
            case 0: {
                const auto value = document.Value(section, key);
                Check(!value || Characters(*value) <= ProfileDocument::kMaxValueLength,
                      "value read longer than the longest value", key);
                (void)document.HasSection(section);
                break;
            }
            case 1:
                (void)document.ReadBool(section, key, input.ConsumeBool());
                break;
            case 2: {
                std::string value =
                    Text(input, {"1", "0", " x ", "a\r\nb", "", "=", "Ä", "\"q\"", "'", " '' "});
                if (input.ConsumeIntegralInRange(0, 7) == 0) {
                    // about as long as the longest value that is read
                    value.insert(0, input.ConsumeIntegralInRange<std::size_t>(1018, 1026), 'x');
                }
                try {
                    document.WriteString(section, key, value);
                } catch (const Failure&) {
                    break;  // refused; the document is as it was
                }
                const std::string trimmedSection = Trim(section);
                const std::string trimmedKey = Trim(key);
                const std::string expected = AsRead(value);
                Check(Characters(expected) <= ProfileDocument::kMaxValueLength,
                      "value written that reads back cut", value);
                Check(document.Value(trimmedSection, trimmedKey) == expected,
                      "written value does not read back", value);
                written[{Lower(trimmedSection), Lower(trimmedKey)}] = expected;
                break;
            }
            case 3:
                if (document.EraseSection(section)) {
                    Check(!document.HasSection(Trim(section)), "erased section still there",
                          section);
                    const std::string erased = Lower(Trim(section));
                    for (auto it = written.begin(); it != written.end();) {
                        it = it->first.first == erased ? written.erase(it) : std::next(it);
                    }
                }
                break;
            default: {
                const std::string bytes = document.Bytes();
                Check(bytes.empty() || bytes == kByteOrderMark || bytes.ends_with("\r\n"),
                      "last line without CR LF");
                break;
            }
        }
    }

    const std::string bytes = document.Bytes();
    const ProfileDocument reread(bytes);
    Check(reread.Bytes() == bytes, "written bytes change when read and written again", bytes);
    const kolvaro::EmployeeList writtenList = kolvaro::ListEmployees(bytes);
    SameList(writtenList, kolvaro::reference::EmployeeListOf(reread), bytes);
    SameList(writtenList, kolvaro::reference::EmployeeListOf(document), bytes);
    for (const auto& [name, value] : written) {
        Check(document.Value(name.first, name.second) == value, "value lost", name.second);
        Check(reread.Value(name.first, name.second) == value, "value lost when read anew",
              name.second);
    }
    return 0;
}
