#include "profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
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
    // Eight bytes at a time: the lines of a settings file are short but
    // many, and looked for in every section that is read.
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
        while (bytes.size() - begin >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + begin, 8);
            const std::uint64_t cr = word ^ (kOnes * '\r');
            const std::uint64_t lf = word ^ (kOnes * '\n');
            // The lowest byte that is zero in cr or lf is found exactly; a
            // byte above it may show falsely, which does not matter here.
            const std::uint64_t hit = ((cr - kOnes) & ~cr & kHighs) | ((lf - kOnes) & ~lf & kHighs);
            if (hit != 0) {
                return begin + static_cast<std::size_t>(std::countr_zero(hit) / 8);
            }
            begin += 8;
        }
    }
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

std::size_t ByteOrderMarkLength(std::string_view bytes) {
    // An editor saving the file as UTF-8 may put a byte-order mark in front
    // of the first line; it would otherwise hide that line's section header.
    return bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// Where the key and the value of a line are, within the line; false when the
// line holds no key.
struct KeyLine {
    std::size_t keyBegin = 0;
    std::size_t keyLength = 0;
    std::size_t valueBegin = 0;  // the value with the blanks around it trimmed
    std::size_t valueLength = 0;
};

bool SplitKeyLine(std::string_view text, KeyLine& split) {
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return false;
    }
    const auto equals = text.find('=');
    // A key line longer than any value that is read is still kept, but not as a key.
    if (equals == std::string_view::npos || text.size() > UINT32_MAX) {
        return false;
    }
    const std::string_view key = Trim(text.substr(0, equals));
    if (key.empty()) {
        return false;
    }
    const std::string_view value = Trim(text.substr(equals + 1));
    split.keyBegin = static_cast<std::size_t>(key.data() - text.data());
    split.keyLength = key.size();
    split.valueBegin =
        value.empty() ? equals + 1 : static_cast<std::size_t>(value.data() - text.data());
    split.valueLength = value.size();
    return true;
}

// A key that no line holds, as SplitKeyLine finds keys: an empty one, one
// with blanks around it, an "=" or a line end in it, or one that begins like
// a comment or a section header.
bool NoLineHolds(std::string_view key) {
    if (key.empty() || IsBlank(key.front()) || IsBlank(key.back()) || key.front() == ';' ||
        key.front() == '[') {
        return true;
    }
    return std::any_of(key.begin(), key.end(), [](char c) { return c == '=' || IsLineEnd(c); });
}

// For each of `count` different keys (as the file holds them) the first line
// from `begin` to `end` (the body of one section, as read) that holds it,
// without its line end, all in one pass; `lines[k]` stays null when no line
// holds keys[k]. Gives how many were found. A line holds a key when, after
// blanks, it begins with the key, then blanks and "=": that is the key that
// SplitKeyLine finds in it, without splitting every line looked at.
std::size_t FindKeyLines(std::string_view bytes, std::size_t begin, std::size_t end,
                         const std::string_view* keys, std::size_t count, std::string_view* lines,
                         KeyLine* found) {
    constexpr std::size_t kMost = 4;
    if (count > kMost) {
        return 0;
    }
    bytes = bytes.substr(0, end);
    bool looked[kMost] = {};  // for: found already, or held by no line
    std::size_t missing = 0;
    for (std::size_t k = 0; k < count; ++k) {
        lines[k] = std::string_view();
        looked[k] = NoLineHolds(keys[k]);
        missing += looked[k] ? 0 : 1;
    }
    for (std::size_t pos = begin; pos < end && missing > 0;) {
        const std::size_t lineEnd = LineEnd(bytes, pos);
        std::size_t at = pos;
        while (at < lineEnd && IsBlank(bytes[at])) {
            ++at;
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::string_view key = keys[k];
            if (looked[k] || lineEnd - at < key.size() ||
                LowerChar(bytes[at]) != LowerChar(key.front()) ||
                !SameName(bytes.substr(at, key.size()), key)) {
                continue;
            }
            std::size_t equals = at + key.size();
            while (equals < lineEnd && IsBlank(bytes[equals])) {
                ++equals;
            }
            // A key line longer than any value that is read is still kept,
            // but not as a key.
            if (equals == lineEnd || bytes[equals] != '=' || lineEnd - pos > UINT32_MAX) {
                continue;  // the line holds another key, or none
            }
            const std::string_view text = bytes.substr(pos, lineEnd - pos);
            const std::string_view value = Trim(bytes.substr(equals + 1, lineEnd - equals - 1));
            KeyLine& line = found[k];
            line.keyBegin = at - pos;
            line.keyLength = key.size();
            line.valueBegin = value.empty() ? equals + 1 - pos
                                            : static_cast<std::size_t>(value.data() - text.data());
            line.valueLength = value.size();
            lines[k] = text;
            looked[k] = true;
            --missing;
            break;  // one line holds one key
        }
        pos = NextLine(bytes, lineEnd);
    }
    std::size_t n = 0;
    for (std::size_t k = 0; k < count; ++k) {
        n += lines[k].data() != nullptr ? 1 : 0;
    }
    return n;
}

// A value as it is read, from the value of its line (blanks around it
// trimmed), appended to `out`.
void AppendValueAsRead(std::string& out, std::string_view stored, bool utf8) {
    const std::string_view value = Unquoted(stored);
    if (!utf8) {
        AppendCp1252AsUtf8(out, value.substr(0, ProfileDocument::kMaxValueLength));
        return;
    }
    // Bytes that are not UTF-8 in a file marked as UTF-8 are read as
    // Windows-1252, which gives every byte a character.
    if (IsAscii(value) || IsUtf8(value)) {
        out += FirstCharacters(value, ProfileDocument::kMaxValueLength);
        return;
    }
    out += FirstCharacters(Cp1252ToUtf8(value), ProfileDocument::kMaxValueLength);
}

}  // namespace

namespace profile_detail {

bool FindHeader(std::string_view bytes, std::size_t from, std::size_t bomLength, Header& header) {
    // A section header is a line whose first character other than a blank is
    // "[" and that holds a "]" after it. Only the "[" need be looked at: the
    // lines in between are looked at when a key is asked for.
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    while (from < size) {
        const void* found = std::memchr(data + from, '[', size - from);
        if (found == nullptr) {
            return false;
        }
        const std::size_t open = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        std::size_t lineBegin = open;
        while (lineBegin > bomLength && IsBlank(data[lineBegin - 1])) {
            --lineBegin;
        }
        if (lineBegin > bomLength && !IsLineEnd(data[lineBegin - 1])) {
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
        header.lineBegin = lineBegin;
        header.lineEnd = lineEnd;
        header.bodyBegin = NextLine(bytes, lineEnd);
        header.nameBegin = static_cast<std::size_t>(name.data() - data);
        header.nameLength = name.size();
        return true;
    }
    return false;
}

}  // namespace profile_detail

ProfileScan::ProfileScan(std::string_view bytes)
    : bytes_(bytes), bomLength_(ByteOrderMarkLength(bytes)) {
    hasNext_ = profile_detail::FindHeader(bytes_, bomLength_, bomLength_, next_);
}

bool ProfileScan::Next() {
    if (!hasNext_) {
        return false;
    }
    current_ = next_;
    hasNext_ = profile_detail::FindHeader(bytes_, current_.bodyBegin, bomLength_, next_);
    end_ = hasNext_ ? next_.lineBegin : bytes_.size();
    return true;
}

std::string_view ProfileScan::Name() const {
    return bytes_.substr(current_.nameBegin, current_.nameLength);
}

bool ProfileScan::AppendValue(std::string_view asciiKey, std::string& out) const {
    std::string_view value;
    if (!FindValues(&asciiKey, &value, 1)) {
        return false;
    }
    AppendValueRead(value, out);
    return true;
}

std::size_t ProfileScan::FindValues(const std::string_view* asciiKeys, std::string_view* stored,
                                    std::size_t count) const {
    constexpr std::size_t kMost = 4;
    if (count > kMost) {
        return 0;
    }
    std::string_view lines[kMost];
    KeyLine found[kMost];
    const std::size_t n =
        FindKeyLines(bytes_, current_.bodyBegin, end_, asciiKeys, count, lines, found);
    for (std::size_t k = 0; k < count; ++k) {
        stored[k] = lines[k].data() == nullptr
                        ? std::string_view()
                        : lines[k].substr(found[k].valueBegin, found[k].valueLength);
    }
    return n;
}

bool ProfileScan::Found(std::string_view stored) {
    return stored.data() != nullptr;
}

void ProfileScan::AppendValueRead(std::string_view stored, std::string& out) const {
    AppendValueAsRead(out, stored, bomLength_ != 0);
}

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
    const std::string_view bytes = buffer_;
    bomLength_ = ByteOrderMarkLength(bytes);
    sections_.emplace_back();  // the lines before the first section
    sections_.back().begin = sections_.back().bodyBegin = bomLength_;
    profile_detail::Header header;
    for (std::size_t from = bomLength_; profile_detail::FindHeader(bytes, from, bomLength_, header);
         from = header.bodyBegin) {
        Section section;
        section.hasHeader = true;
        section.begin = header.lineBegin;
        section.headerLength = header.lineEnd - header.lineBegin;
        section.bodyBegin = header.bodyBegin;
        section.nameBegin = header.nameBegin;
        section.nameLength = header.nameLength;
        sections_.back().end = header.lineBegin;
        sections_.push_back(section);
    }
    sections_.back().end = bytes.size();

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
    KeyLine split;
    if (SplitKeyLine(Text(line), split)) {
        line.keyBegin = static_cast<std::uint32_t>(split.keyBegin);
        line.keyLength = static_cast<std::uint32_t>(split.keyLength);
        line.valueBegin = static_cast<std::uint32_t>(split.valueBegin);
        line.valueLength = static_cast<std::uint32_t>(split.valueLength);
    }
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
    std::string_view line;
    KeyLine split;
    if (FindKeyLines(buffer_, section.bodyBegin, section.end, &key, 1, &line, &split) == 0) {
        return false;
    }
    found.begin = static_cast<std::size_t>(line.data() - buffer_.data());
    found.length = line.size();
    found.keyBegin = static_cast<std::uint32_t>(split.keyBegin);
    found.keyLength = static_cast<std::uint32_t>(split.keyLength);
    found.valueBegin = static_cast<std::uint32_t>(split.valueBegin);
    found.valueLength = static_cast<std::uint32_t>(split.valueLength);
    return true;
}

std::optional<std::string> ProfileDocument::ValueIn(const Section& section,
                                                    std::string_view key) const {
    std::string storage;
    const auto name = InFile(key, storage);
    Line line;
    if (!name || !FindKey(section, *name, line)) {
        return std::nullopt;
    }
    std::string value;
    AppendValueAsRead(value, Text(line).substr(line.valueBegin, line.valueLength), Utf8());
    return value;
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

    changed_ = true;  // nothing is refused from here on
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
    changed_ = true;
    return true;
}

std::optional<std::string_view> ProfileDocument::Unchanged() const {
    if (changed_) {
        return std::nullopt;
    }
    return std::string_view(buffer_);
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
    return Parse(LoadBytes());
}

std::string ProfileFile::LoadBytes() const {
    return ReadWholeFile(path_).bytes;  // empty when missing or unreadable
}

ProfileDocument ProfileFile::Parse(std::string bytes) const {
    return ProfileDocument::Adopt(std::move(bytes), BaseName(path_));
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

std::string ProfileFile::Save(const ProfileDocument& document) const {
    std::string bytes = document.Bytes();
    if (!WriteFileDurably(path_, bytes)) {
        Fail(kWriteMessage, path_);
    }
    return bytes;
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
