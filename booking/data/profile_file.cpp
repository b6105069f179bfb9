#include "profile_file.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "cp1252.h"
#include "durable_file.h"
#include "failure.h"
#include "time_text.h"

namespace kolvaro {

namespace {

constexpr const char* kWriteMessage = "Nach %s kann nicht geschrieben werden";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The name in a section header "[name]", or nothing when the line is no header.
std::optional<std::string_view> HeaderName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
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
    // A file with thousands of employees is read often: room for every
    // section that may come (at most one per "[") spares growing the lists.
    const auto brackets = static_cast<std::size_t>(std::count(buffer_.begin(), buffer_.end(), '['));
    sections_.reserve(brackets + 1);
    index_.reserve(brackets);
    sections_.emplace_back();  // the lines before the first section
    const std::size_t size = buffer_.size();
    const char* data = buffer_.data();
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n') {
            ++end;
        }
        AddLine(pos, end - pos);
        pos = end + 1;
        if (end < size && data[end] == '\r' && pos < size && data[pos] == '\n') {
            ++pos;
        }
    }
}

std::string_view ProfileDocument::Text(const Line& line) const {
    return std::string_view(buffer_).substr(line.begin, line.length);
}

std::string_view ProfileDocument::KeyOf(const Line& line) const {
    return Text(line).substr(line.keyBegin, line.keyLength);
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

void ProfileDocument::AddLine(std::size_t begin, std::size_t length) {
    const std::string_view text = std::string_view(buffer_).substr(begin, length);
    if (const auto name = HeaderName(text)) {
        Section section;
        // Sections tend to be alike: room for as many lines as the one before.
        section.lines.reserve(sections_.back().lines.size());
        section.hasHeader = true;
        section.header.begin = begin;
        section.header.length = length;
        sections_.push_back(std::move(section));
        // The first of two sections of the same name is the one that counts.
        sections_.back().counts = index_.emplace(Lower(*name), sections_.size() - 1).second;
        return;
    }
    sections_.back().lines.push_back(MakeLine(begin, length));
}

const ProfileDocument::Section* ProfileDocument::Find(std::string_view section) const {
    const auto encoded = Utf8ToCp1252(section);
    if (!encoded) {
        return nullptr;
    }
    const auto found = index_.find(Lower(*encoded));
    return found == index_.end() ? nullptr : &sections_[found->second];
}

namespace {

bool SameName(std::string_view name, std::string_view lower) {
    if (name.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

const ProfileDocument::Line* ProfileDocument::FindKey(const Section& section,
                                                      std::string_view key) const {
    const auto encoded = Utf8ToCp1252(key);
    if (!encoded) {
        return nullptr;
    }
    const std::string lower = Lower(*encoded);
    for (const Line& line : section.lines) {
        if (line.keyLength != 0 && SameName(KeyOf(line), lower)) {
            return &line;
        }
    }
    return nullptr;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
    const Section* found = Find(section);
    return ValueOf(found ? FindKey(*found, key) : nullptr);
}

std::optional<std::string> ProfileDocument::Value(const SectionEntry& section,
                                                  std::string_view key) const {
    return ValueOf(FindKey(sections_.at(section.index), key));
}

std::optional<std::string> ProfileDocument::ValueOf(const Line* line) const {
    if (!line) {
        return std::nullopt;
    }
    const std::size_t length = std::min<std::size_t>(line->valueLength, kMaxValueLength);
    return Cp1252ToUtf8(Text(*line).substr(line->valueBegin, length));
}

std::vector<ProfileDocument::SectionEntry> ProfileDocument::Sections() const {
    std::vector<SectionEntry> entries;
    entries.reserve(index_.size());
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& section = sections_[i];
        if (section.hasHeader && section.counts && !section.erased) {
            entries.push_back({HeaderName(Text(section.header)).value_or(""), i});
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

bool ProfileDocument::HasSection(std::string_view section) const {
    return Find(section) != nullptr;
}

std::string ProfileDocument::Encode(std::string_view text) const {
    auto encoded = Utf8ToCp1252(text);
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
    const std::string encodedValue = Encode(oneLine);

    const std::string lowerSection = Lower(sectionName);
    auto found = index_.find(lowerSection);
    if (found == index_.end()) {
        Section added;
        added.hasHeader = true;
        added.header.begin = buffer_.size();
        buffer_ += "[" + sectionName + "]";
        added.header.length = buffer_.size() - added.header.begin;
        added.counts = true;
        sections_.push_back(std::move(added));
        found = index_.emplace(lowerSection, sections_.size() - 1).first;
    }
    Section& target = sections_[found->second];
    const std::string lowerKey = Lower(keyName);
    for (Line& line : target.lines) {
        if (line.keyLength != 0 && SameName(KeyOf(line), lowerKey)) {
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
    auto at = target.lines.end();
    while (at != target.lines.begin() && Trim(Text(*(at - 1))).empty()) {
        --at;
    }
    const std::size_t begin = buffer_.size();
    buffer_ += keyName + "=" + encodedValue;
    target.lines.insert(at, MakeLine(begin, buffer_.size() - begin));
}

void ProfileDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool ProfileDocument::EraseSection(std::string_view section) {
    const auto encoded = Utf8ToCp1252(Trim(section));
    if (!encoded) {
        return false;
    }
    const std::string lower = Lower(*encoded);
    if (index_.erase(lower) == 0) {
        return false;
    }
    for (Section& candidate : sections_) {
        if (candidate.hasHeader && !candidate.erased) {
            const auto name = HeaderName(Text(candidate.header));
            if (name && Lower(*name) == lower) {
                candidate.erased = true;
            }
        }
    }
    return true;
}

std::string ProfileDocument::Bytes() const {
    std::size_t size = 0;
    for (const Section& section : sections_) {
        size += section.header.length + 2;
        for (const Line& line : section.lines) {
            size += line.length + 2;
        }
    }
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : sections_) {
        if (section.erased) {
            continue;
        }
        if (section.hasHeader) {
            bytes += Text(section.header);
            bytes += "\r\n";
        }
        for (const Line& line : section.lines) {
            bytes += Text(line);
            bytes += "\r\n";
        }
    }
    return bytes;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

ProfileDocument ProfileFile::Load() const {
    auto bytes = ReadWholeFile(path_);
    return ProfileDocument::Adopt(bytes ? std::move(*bytes) : std::string(), BaseName(path_));
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
    ProfileDocument document = Load();
    document.WriteString(section, key, value);
    Save(document);
}

void ProfileFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void ProfileFile::EraseSection(std::string_view section) {
    const FolderLock turn(path_);
    ProfileDocument document = Load();
    if (document.EraseSection(section)) {
        Save(document);
    }
}

}  // namespace kolvaro
