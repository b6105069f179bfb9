#include "profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "cp1252.h"
#include "durable_file.h"
#include "failure.h"
#include "time_text.h"

namespace kolvaro {

namespace {

constexpr const char* kWriteMessage = "Nach %s kann nicht geschrieben werden";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned b = p[i];
        std::size_t length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            low = b == 0xE0 ? 0xA0 : 0x80;
            high = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            low = b == 0xF0 ? 0x90 : 0x80;
            high = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (size - i < length || p[i + 1] < low || p[i + 1] > high) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// The characters of UTF-8 text: every byte that does not continue one.
std::size_t CharacterCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The first `count` characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < utf8.size(); ++at) {
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == count) {
            break;
        }
    }
    return utf8.substr(0, at);
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The Windows profile functions drop one matching pair of quotes around a
// value (AutoBuchung="1" reads as 1), and the programs sharing the file rely
// on that.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Names are the same when they differ at most in the case of A to Z.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) {
            return false;
        }
    }
    return true;
}

// FNV-1a over the name in lower case, so that names of one spelling meet.
std::size_t NameHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(LowerChar(c));
        hash *= 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash);
}

// A line ends at the first CR or LF; CR LF, a lone CR and a lone LF each end
// one line.
std::size_t LineEnd(std::string_view bytes, std::size_t begin) {
    while (begin < bytes.size() && !IsLineEnd(bytes[begin])) {
        ++begin;
    }
    return begin;
}

// Where the line after the one ending at `end` begins.
std::size_t NextLine(std::string_view bytes, std::size_t end) {
    if (end >= bytes.size()) {
        return bytes.size();
    }
    return end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
}

// True when every line end in `bytes` (which begin at the start of a line) is
// CR LF already, so that they can be written as they are.
bool OnlyCrLf(std::string_view bytes) {
    if (bytes.empty()) {
        return true;
    }
    if (bytes.front() == '\n' || bytes.back() == '\r') {
        return false;
    }
    // A CR not followed by LF or an LF not after a CR; looked for in blocks
    // without a branch, which the compiler turns into vector instructions.
    constexpr std::size_t kBlock = 4096;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t pairs = bytes.size() - 1;
    for (std::size_t at = 0; at < pairs; at += kBlock) {
        const std::size_t stop = std::min(pairs, at + kBlock);
        unsigned lone = 0;
        for (std::size_t i = at; i < stop; ++i) {
            lone |=
                static_cast<unsigned>(data[i] == '\r') ^ static_cast<unsigned>(data[i + 1] == '\n');
        }
        if (lone != 0) {
            return false;
        }
    }
    return true;
}

// Appends the lines of `bytes`, which begin at the start of a line, every one
// ending in CR LF.
void AppendLines(std::string& out, std::string_view bytes) {
    if (OnlyCrLf(bytes)) {
        out += bytes;
        if (!bytes.empty() && bytes.back() != '\n') {
            out += "\r\n";  // the last line of the file had no line end
        }
        return;
    }
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = LineEnd(bytes, pos);
        out += bytes.substr(pos, end - pos);
        out += "\r\n";
        pos = NextLine(bytes, end);
    }
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ProfileDocument::ProfileDocument(std::string_view bytes, std::string fileName)
    : fileName_(std::move(fileName)), buffer_(bytes) {
    Parse();
}

ProfileDocument::ProfileDocument(Adopting, std::string bytes, std::string fileName)
    : fileName_(std::move(fileName)), buffer_(std::move(bytes)) {
    Parse();
}

ProfileDocument ProfileDocument::Adopt(std::string bytes, std::string fileName) {
    return ProfileDocument(Adopting{}, std::move(bytes), std::move(fileName));
}

void ProfileDocument::Parse() {
    // A section header is a line whose first character other than a blank is
    // "[" and that holds a "]" after it. Only the "[" need be looked at: the
    // lines in between are looked at when a key is asked for.
    const std::string_view bytes = buffer_;
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    // An editor saving the file as UTF-8 may put a byte-order mark in front
    // of the first line; it would otherwise hide that line's section header.
    bomLength_ = bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    sections_.emplace_back();  // the lines before the first section
    sections_.back().begin = sections_.back().bodyBegin = bomLength_;
    std::size_t from = bomLength_;
    while (from < size) {
        const void* found = std::memchr(data + from, '[', size - from);
        if (found == nullptr) {
            break;
        }
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        std::size_t lineBegin = open;
        while (lineBegin > bomLength_ && IsBlank(data[lineBegin - 1])) {
            --lineBegin;
        }
        if (lineBegin > bomLength_ && !IsLineEnd(data[lineBegin - 1])) {
            from = open + 1;  // not the first character of its line
            continue;
        }
        std::size_t close = open + 1;
        while (close < size && data[close] != ']' && !IsLineEnd(data[close])) {
            ++close;
        }
        if (close == size || data[close] != ']') {
            from = close;  // no "]": no other "[" of this line starts it either
            continue;
        }
        const std::size_t lineEnd = LineEnd(bytes, close);
        const std::string_view name = Trim(bytes.substr(open + 1, close - open - 1));
        Section section;
        section.hasHeader = true;
        section.begin = lineBegin;
        section.headerLength = lineEnd - lineBegin;
        section.bodyBegin = NextLine(bytes, lineEnd);
        section.nameBegin = static_cast<std::size_t>(name.data() - data);
        section.nameLength = name.size();
        sections_.back().end = lineBegin;
        sections_.push_back(section);
        from = section.bodyBegin;
    }
    sections_.back().end = size;

    // The first of two sections of the same name is the one that counts.
    std::size_t capacity = 16;
    while (capacity < 2 * sections_.size()) {
        capacity *= 2;
    }
    index_.assign(capacity, 0);
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        if (FindIndex(NameOf(sections_[i])) == 0) {
            sections_[i].counts = true;
            Insert(i);
        }
    }
}

std::string_view ProfileDocument::Text(const Line& line) const {
    return std::string_view(buffer_).substr(line.begin, line.length);
}

std::string_view ProfileDocument::KeyOf(const Line& line) const {
    return Text(line).substr(line.keyBegin, line.keyLength);
}

std::string_view ProfileDocument::NameOf(const Section& section) const {
    return std::string_view(buffer_).substr(section.nameBegin, section.nameLength);
}

ProfileDocument::Line ProfileDocument::MakeLine(std::size_t begin, std::size_t length) const {
    Line line;
    line.begin = begin;
    line.length = length;
    const std::string_view text = Text(line);
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return line;
    }
    const auto equals = text.find('=');
    // A key line longer than any value that is read is still kept, but not as a key.
    if (equals == std::string_view::npos || text.size() > UINT32_MAX) {
        return line;
    }
    const std::string_view key = Trim(text.substr(0, equals));
    if (key.empty()) {
        return line;
    }
    const std::string_view value = Trim(text.substr(equals + 1));
    line.keyBegin = static_cast<std::uint32_t>(key.data() - text.data());
    line.keyLength = static_cast<std::uint32_t>(key.size());
    line.valueBegin =
        static_cast<std::uint32_t>(value.empty() ? equals + 1 : value.data() - text.data());
    line.valueLength = static_cast<std::uint32_t>(value.size());
    return line;
}

std::vector<ProfileDocument::Line>& ProfileDocument::LinesOf(Section& section) {
    if (section.edited == kNotEdited) {
        // Only up to where the section ended when it was read: what was
        // appended to the buffer since is no part of it.
        const std::string_view bytes = std::string_view(buffer_).substr(0, section.end);
        std::vector<Line> lines;
        for (std::size_t pos = section.bodyBegin; pos < section.end;) {
            const std::size_t end = LineEnd(bytes, pos);
            lines.push_back(MakeLine(pos, end - pos));
            pos = NextLine(bytes, end);
        }
        edited_.push_back(std::move(lines));
        section.edited = edited_.size() - 1;
    }
    return edited_[section.edited];
}

std::size_t ProfileDocument::FindIndex(std::string_view encodedName) const {
    const std::size_t mask = index_.size() - 1;
    for (std::size_t slot = NameHash(encodedName) & mask;; slot = (slot + 1) & mask) {
        const std::size_t at = index_[slot];
        if (at == 0) {
            return 0;
        }
        const Section& section = sections_[at];
        if (!section.erased && SameName(NameOf(section), encodedName)) {
            return at;
        }
    }
}

void ProfileDocument::Insert(std::size_t section) {
    // Never full: there are always at least twice as many slots as sections.
    const std::size_t mask = index_.size() - 1;
    std::size_t slot = NameHash(NameOf(sections_[section])) & mask;
    while (index_[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    index_[slot] = section;
    ++indexUsed_;
}

void ProfileDocument::AddToIndex(std::size_t section) {
    if (2 * (indexUsed_ + 1) > index_.size()) {
        std::vector<std::size_t> old = std::move(index_);
        index_.assign(2 * old.size(), 0);
        indexUsed_ = 0;
        for (const std::size_t at : old) {
            if (at != 0 && !sections_[at].erased) {
                Insert(at);
            }
        }
    }
    Insert(section);
}

std::optional<std::string_view> ProfileDocument::InFile(std::string_view text,
                                                        std::string& storage) const {
    // Names of ASCII characters only, nearly all of them, are the same bytes
    // in either encoding and need no copy into `storage`.
    if (IsAscii(text)) {
        return text;
    }
    if (Utf8()) {
        return IsUtf8(text) ? std::optional<std::string_view>(text) : std::nullopt;
    }
    auto encoded = Utf8ToCp1252(text);
    if (!encoded) {
        return std::nullopt;
    }
    storage = std::move(*encoded);
    return std::string_view(storage);
}

std::string ProfileDocument::Decode(std::string_view bytes) const {
    // Bytes that are not UTF-8 in a file marked as UTF-8 are read as
    // Windows-1252, which gives every byte a character.
    if (IsAscii(bytes) || (Utf8() && IsUtf8(bytes))) {
        return std::string(bytes);
    }
    return Cp1252ToUtf8(bytes);
}

const ProfileDocument::Section* ProfileDocument::Find(std::string_view section) const {
    std::string storage;
    const auto name = InFile(section, storage);
    if (!name) {
        return nullptr;
    }
    const std::size_t at = FindIndex(*name);
    return at == 0 ? nullptr : &sections_[at];
}

bool ProfileDocument::FindKey(const Section& section, std::string_view key, Line& found) const {
    if (key.empty()) {
        return false;  // no line holds an empty key
    }
    if (section.edited != kNotEdited) {
        for (const Line& line : edited_[section.edited]) {
            if (line.keyLength != 0 && SameName(KeyOf(line), key)) {
                found = line;
                return true;
            }
        }
        return false;
    }
    const std::string_view bytes = std::string_view(buffer_).substr(0, section.end);
    const char first = LowerChar(key.front());
    for (std::size_t pos = section.bodyBegin; pos < section.end;) {
        const std::size_t end = LineEnd(bytes, pos);
        // A key begins at the first character that is not a blank: a line
        // beginning otherwise need not be looked at more closely.
        std::size_t at = pos;
        while (at < end && IsBlank(bytes[at])) {
            ++at;
        }
        if (at < end && LowerChar(bytes[at]) == first) {
            const Line line = MakeLine(pos, end - pos);
            if (line.keyLength != 0 && SameName(KeyOf(line), key)) {
                found = line;
                return true;
            }
        }
        pos = NextLine(bytes, end);
    }
    return false;
}

std::optional<std::string> ProfileDocument::ValueIn(const Section& section,
                                                    std::string_view key) const {
    std::string storage;
    const auto name = InFile(key, storage);
    Line line;
    if (!name || !FindKey(section, *name, line)) {
        return std::nullopt;
    }
    const std::string_view value = Unquoted(Text(line).substr(line.valueBegin, line.valueLength));
    if (!Utf8()) {
        return Cp1252ToUtf8(value.substr(0, kMaxValueLength));
    }
    const std::string text = Decode(value);
    return std::string(FirstCharacters(text, kMaxValueLength));
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
    const Section* found = Find(section);
    return found ? ValueIn(*found, key) : std::nullopt;
}

std::optional<std::string> ProfileDocument::Value(const SectionEntry& section,
                                                  std::string_view key) const {
    return ValueIn(sections_.at(section.index), key);
}

std::vector<ProfileDocument::SectionEntry> ProfileDocument::Sections() const {
    std::vector<SectionEntry> entries;
    entries.reserve(sections_.size());
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& section = sections_[i];
        if (section.hasHeader && section.counts && !section.erased) {
            entries.push_back({NameOf(section), i});
        }
    }
    return entries;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view fallback) const {
    auto value = Value(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

bool ProfileDocument::ReadBool(std::string_view section, std::string_view key,
                               bool fallback) const {
    const auto value = Value(section, key);
    if (!value || value->empty()) {
        return fallback;
    }
    try {
        return StrToInt(*value) != 0;
    } catch (const Failure&) {
        return fallback;
    }
}

bool ProfileDocument::SectionEnded(std::string_view section) const {
    const Section* found = Find(section);
    return found != nullptr && found != &sections_.back();
}

bool ProfileDocument::HasSection(std::string_view section) const {
    return Find(section) != nullptr;
}

std::string ProfileDocument::Encode(std::string_view text) const {
    std::optional<std::string> encoded;
    if (Utf8()) {
        if (IsUtf8(text)) {
            encoded.emplace(text);
        }
    } else {
        encoded = Utf8ToCp1252(text);
    }
    if (!encoded || encoded->find('\0') != std::string::npos) {
        throw Failure(RefusalMessage(text));
    }
    return std::move(*encoded);
}

std::string ProfileDocument::EncodeName(std::string_view name, const char* forbidden) const {
    // A name that the file format cannot hold is refused like a character
    // that the code page cannot hold.
    std::string encoded = Encode(Trim(name));
    if (encoded.empty() || encoded.find_first_of(forbidden) != std::string::npos ||
        encoded.find_first_of("\r\n") != std::string::npos || encoded.front() == ';' ||
        encoded.front() == '[') {
        throw Failure(RefusalMessage(name));
    }
    return encoded;
}

std::string ProfileDocument::RefusalMessage(std::string_view text) const {
    return "Der Text '" + std::string(text) + "' enthält Zeichen, die in der Datei '" + fileName_ +
           "' nicht gespeichert werden können.";
}

void ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    // A value is one line: a line break in it would start a new key, so each
    // one becomes a blank.
    std::string oneLine;
    oneLine.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
            oneLine += ' ';
        } else {
            oneLine += value[i];
        }
    }
    const std::string sectionName = EncodeName(section, "]");
    const std::string keyName = EncodeName(key, "=");
    std::string encodedValue = Encode(oneLine);
    // What is read back is the value without the blanks around it and
    // without one pair of quotes, cut to kMaxValueLength characters. A value
    // that would come back shorter is refused; one in quotes of its own gets
    // another pair, so that it reads back with them.
    const std::string_view trimmed = Trim(oneLine);
    if (CharacterCount(trimmed) > kMaxValueLength) {
        throw Failure("Der Text '" + std::string(FirstCharacters(trimmed, 20)) +
                      "…' ist zu lang: in der Datei '" + fileName_ + "' können höchstens " +
                      std::to_string(kMaxValueLength) + " Zeichen gespeichert werden.");
    }
    if (const std::string_view stored = Trim(encodedValue); Unquoted(stored) != stored) {
        encodedValue = "\"" + std::string(stored) + "\"";
    }

    std::size_t at = FindIndex(sectionName);
    if (at == 0) {
        Section added;
        added.hasHeader = true;
        added.counts = true;
        added.begin = buffer_.size();
        buffer_ += "[" + sectionName + "]";
        added.headerLength = buffer_.size() - added.begin;
        added.bodyBegin = buffer_.size();
        added.end = buffer_.size();
        added.nameBegin = added.begin + 1;
        added.nameLength = sectionName.size();
        sections_.push_back(added);
        at = sections_.size() - 1;
        AddToIndex(at);
    }
    std::vector<Line>& lines = LinesOf(sections_[at]);
    for (Line& line : lines) {
        if (line.keyLength != 0 && SameName(KeyOf(line), keyName)) {
            // The key keeps its spelling and what stands before the value.
            const std::size_t begin = buffer_.size();
            const std::string keyPart(Text(line).substr(0, line.valueBegin));
            buffer_ += keyPart;
            buffer_ += encodedValue;
            line = MakeLine(begin, buffer_.size() - begin);
            return;
        }
    }
    // A new key goes after the last line of the section that is not blank, so
    // that an empty line between two sections stays where it is.
    auto where = lines.end();
    while (where != lines.begin() && Trim(Text(*(where - 1))).empty()) {
        --where;
    }
    const std::size_t begin = buffer_.size();
    buffer_ += keyName + "=" + encodedValue;
    lines.insert(where, MakeLine(begin, buffer_.size() - begin));
}

void ProfileDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool ProfileDocument::EraseSection(std::string_view section) {
    std::string storage;
    const auto encoded = InFile(Trim(section), storage);
    if (!encoded || FindIndex(*encoded) == 0) {
        return false;
    }
    for (Section& candidate : sections_) {
        if (candidate.hasHeader && !candidate.erased && SameName(NameOf(candidate), *encoded)) {
            candidate.erased = true;
        }
    }
    return true;
}

std::string ProfileDocument::Bytes() const {
    std::size_t size = 0;
    for (const Section& section : sections_) {
        if (section.erased) {
            continue;
        }
        if (section.edited == kNotEdited) {
            size += section.end - section.begin + 2;
            continue;
        }
        size += section.headerLength + 2;
        for (const Line& line : edited_[section.edited]) {
            size += line.length + 2;
        }
    }
    std::string bytes;
    bytes.reserve(bomLength_ + size);
    bytes += std::string_view(buffer_).substr(0, bomLength_);
    // Sections as read are copied as they are, as many in a row at once as
    // there are; only the ones written are composed line by line.
    const std::string_view read = buffer_;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t runBegin = kNone;
    std::size_t runEnd = kNone;
    const auto copyRun = [&] {
        if (runBegin != kNone) {
            AppendLines(bytes, read.substr(runBegin, runEnd - runBegin));
        }
        runBegin = runEnd = kNone;
    };
    for (const Section& section : sections_) {
        if (section.erased) {
            continue;
        }
        if (section.edited == kNotEdited) {
            if (runBegin == kNone || runEnd != section.begin) {
                copyRun();
                runBegin = section.begin;
            }
            runEnd = section.end;
            continue;
        }
        copyRun();
        if (section.hasHeader) {
            bytes += read.substr(section.begin, section.headerLength);
            bytes += "\r\n";
        }
        for (const Line& line : edited_[section.edited]) {
            bytes += Text(line);
            bytes += "\r\n";
        }
    }
    copyRun();
    return bytes;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

ProfileDocument ProfileFile::Load() const {
    FileRead read = ReadWholeFile(path_);
    return ProfileDocument::Adopt(std::move(read.bytes), BaseName(path_));
}

ProfileDocument ProfileFile::LoadUntilEndOf(std::string_view section) const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return ProfileDocument({}, BaseName(path_));  // missing or unreadable, as Load()
    }
    // Read in growing pieces: the section is usually in the first few
    // lines, and a file without it is parsed at most about twice over.
    std::string bytes;
    std::size_t used = 0;
    std::size_t piece = 4096;
    std::size_t parsedUpTo = 0;
    for (;;) {
        bytes.resize(used + piece);
        const ssize_t n = ::read(fd, bytes.data() + used, piece);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return ProfileDocument({}, BaseName(path_));  // unreadable, as Load()
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
        // Only whole lines: a header cut short must not end the section.
        std::size_t whole = used;
        while (whole > 0 && !IsLineEnd(bytes[whole - 1])) {
            --whole;
        }
        if (whole > parsedUpTo && used >= 2 * parsedUpTo) {
            parsedUpTo = whole;
            ProfileDocument start(std::string_view(bytes.data(), whole), BaseName(path_));
            if (start.SectionEnded(section)) {
                ::close(fd);
                return start;
            }
        }
        piece = std::min<std::size_t>(piece * 2, 1 << 20);
    }
    ::close(fd);
    bytes.resize(used);
    return ProfileDocument::Adopt(std::move(bytes), BaseName(path_));
}

ProfileDocument ProfileFile::LoadForChange() const {
    FileRead read = ReadWholeFile(path_);
    if (read.outcome == ReadOutcome::Unreadable && ExistsButUnreadable(path_)) {
        Fail(kUnreadableFileMessage, path_);
    }
    return ProfileDocument::Adopt(std::move(read.bytes), BaseName(path_));
}

void ProfileFile::Save(const ProfileDocument& document) const {
    if (!WriteFileDurably(path_, document.Bytes())) {
        Fail(kWriteMessage, path_);
    }
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    return Load().ReadString(section, key, fallback);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return Load().ReadBool(section, key, fallback);
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    // Another program writing the file between our read and our write would
    // lose its change: the two take turns.
    const FolderLock turn(path_);
    ProfileDocument document = LoadForChange();
    document.WriteString(section, key, value);
    Save(document);
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void ProfileFile::EraseSection(std::string_view section) {
    const FolderLock turn(path_);
    ProfileDocument document = LoadForChange();
    if (document.EraseSection(section)) {
        Save(document);
    }
}

}  // namespace kolvaro
