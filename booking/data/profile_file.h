#pragma once

// Our reader and writer of the Windows profile ("INI") format, behaving as the
// Windows profile functions do: section and key names compared without regard
// to case, key order kept, lines the program does not know kept as they are,
// new keys appended to their section and new sections to the file.
//
// The file is Windows-1252 with CR LF line ends; every text passed in or out
// here is UTF-8. A file that a text editor saved as UTF-8 with a byte-order
// mark is read and written as UTF-8 and keeps its mark.
//
// A value in one matching pair of double or single quotes reads without them,
// as the Windows profile functions read it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro {

// One settings file read into memory. An operation loads it once, looks up and
// changes as many keys as it needs, and writes it back once.
class ProfileDocument {
  public:
    // Values longer than this are read shortened to it, as Windows does; a
    // longer text is therefore never written.
    static constexpr std::size_t kMaxValueLength = 1023;

    // fileName names the file in the message that refuses a text (e.g. "velmora.ini").
    explicit ProfileDocument(std::string_view bytes = {}, std::string fileName = "velmora.ini");

    // The value as text, or nothing when the section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // An integer other than 0 is true, 0 is false; anything else gives the fallback.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    bool HasSection(std::string_view section) const;
    // True when the section that counts of this name is followed by another
    // section: all of it is then in the bytes, even if they are only the
    // start of a file.
    bool SectionEnded(std::string_view section) const;

    // Every section in the order of the file, of two sections of the same
    // name only the one that counts, with its name as the file holds it
    // (Windows-1252). Walking them is quicker than asking for thousands of
    // names one by one.
    struct SectionEntry {
        std::string_view name;
        std::size_t index = 0;
    };
    std::vector<SectionEntry> Sections() const;
    // The value of a key of a section from Sections(), as Value() gives it.
    std::optional<std::string> Value(const SectionEntry& section, std::string_view key) const;

    // The document of `bytes`, taken over without a copy.
    static ProfileDocument Adopt(std::string bytes, std::string fileName);

    // Throws Failure, changing nothing, when the text holds a character that
    // Windows-1252 cannot hold or the value would not read back whole (longer
    // than kMaxValueLength). A line break in a value becomes a blank.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Removes the section with all its keys (every copy of it, should it occur
    // twice); false when there was no such section.
    bool EraseSection(std::string_view section);

    // The file's bytes, every line ending in CR LF.
    std::string Bytes() const;
    // The bytes as they were read, while nothing in the document has been
    // written or erased; nothing after that.
    std::optional<std::string_view> Unchanged() const;

  private:
    // Places in buffer_, which holds the bytes as read; a changed or new line
    // is appended to it. Loading thus copies no line on its own.
    struct Line {
        std::size_t begin = 0;  // the line without its line end
        std::size_t length = 0;
        std::uint32_t keyBegin = 0;  // within the line; keyLength 0 when it holds no key
        std::uint32_t keyLength = 0;
        std::uint32_t valueBegin = 0;  // the value with the blanks around it trimmed
        std::uint32_t valueLength = 0;
    };
    static constexpr std::size_t kNotEdited = static_cast<std::size_t>(-1);
    // Loading only finds the section headers: a section is the bytes from its
    // header to the next one, and a key is looked for in them when asked.
    // Only a section that is written gets a list of its lines.
    struct Section {
        std::size_t begin = 0;         // the header line (or the start of the file)
        std::size_t headerLength = 0;  // the header line without its line end
        std::size_t bodyBegin = 0;     // the line after the header
        std::size_t end = 0;           // the next section's header, or the end of the bytes read
        std::size_t nameBegin = 0;     // the name between the brackets, blanks trimmed
        std::size_t nameLength = 0;
        std::size_t edited = kNotEdited;  // its lines in edited_, once written
        bool hasHeader = false;           // false only for the lines before the first section
        bool erased = false;
        bool counts = false;  // the first section of its name, the one that is read
    };
    struct Adopting {};
    ProfileDocument(Adopting, std::string bytes, std::string fileName);
    void Parse();
    std::optional<std::string> ValueIn(const Section& section, std::string_view key) const;

    std::string_view Text(const Line& line) const;
    std::string_view KeyOf(const Line& line) const;
    std::string_view NameOf(const Section& section) const;
    Line MakeLine(std::size_t begin, std::size_t length) const;
    std::vector<Line>& LinesOf(Section& section);
    bool Utf8() const { return bomLength_ != 0; }
    // A name or text as the file holds it; nothing when it cannot be.
    std::optional<std::string_view> InFile(std::string_view text, std::string& storage) const;
    std::string Encode(std::string_view text) const;  // the file's encoding, or Failure
    std::string EncodeName(std::string_view name, const char* forbidden) const;
    std::string RefusalMessage(std::string_view text) const;
    const Section* Find(std::string_view section) const;
    std::size_t FindIndex(std::string_view encodedName) const;  // 0 when missing
    void AddToIndex(std::size_t section);
    void Insert(std::size_t section);  // into a free slot of index_
    // `key` in Windows-1252; `found` is the line that holds it.
    bool FindKey(const Section& section, std::string_view key, Line& found) const;

    std::string fileName_;
    std::string buffer_;
    std::size_t bomLength_ = 0;  // the UTF-8 byte-order mark at the start, kept on writing
    std::vector<Section> sections_;
    // Open addressing over the first section of every name, by its place in
    // sections_ (0, the lines before the first header, marks a free slot);
    // erased sections stay in it and are passed over.
    std::vector<std::size_t> index_;
    std::size_t indexUsed_ = 0;  // slots taken
    std::vector<std::vector<Line>> edited_;
    bool changed_ = false;  // something written or erased since the bytes were read
};

namespace profile_detail {

// A section header line: where it begins and ends, where the line after it
// begins, and the name between the brackets with the blanks around it trimmed.
struct Header {
    std::size_t lineBegin = 0;
    std::size_t lineEnd = 0;
    std::size_t bodyBegin = 0;
    std::size_t nameBegin = 0;
    std::size_t nameLength = 0;
};

// The first header that begins at or after `from` (which is the start of a
// line or lies in a line that is no header); false when there is none.
bool FindHeader(std::string_view bytes, std::size_t from, std::size_t bomLength, Header& header);

}  // namespace profile_detail

// The sections of a file's bytes, read straight from them without a document,
// for one question about every section of a large file (the employee list):
// nothing is indexed, copied or decoded but the values asked for. Headers,
// keys and values are found and read by the same code as ProfileDocument's.
// Every header is visited, also a later one of a name already seen, which is
// not the section that counts: the caller keeps only the first of each name.
class ProfileScan {
  public:
    explicit ProfileScan(std::string_view bytes);  // the bytes outlive the scan

    // On to the next section header, in the order of the file; false after the last.
    bool Next();
    // The name between the brackets, blanks trimmed, as the file holds it.
    std::string_view Name() const;
    // Appends the value of the key (a name of ASCII characters) in the
    // current section as ProfileDocument::Value gives it; false, appending
    // nothing, when the section holds no such key.
    bool AppendValue(std::string_view asciiKey, std::string& out) const;
    // The values of up to four keys in one pass over the section, each as
    // its line holds it (quotes and all, not decoded), to be read with
    // AppendValueRead; for a key the section does not hold, a view for
    // which Found() is false. Gives how many were found.
    std::size_t FindValues(const std::string_view* asciiKeys, std::string_view* stored,
                           std::size_t count) const;
    static bool Found(std::string_view stored);
    // Appends a value from FindValues as ProfileDocument::Value gives it.
    void AppendValueRead(std::string_view stored, std::string& out) const;

  private:
    std::string_view bytes_;
    std::size_t bomLength_ = 0;
    profile_detail::Header current_;
    profile_detail::Header next_;
    bool hasNext_ = false;
    std::size_t end_ = 0;  // of the current section: the next header line, or the end
};

// The settings file on disk. Nothing is kept between calls: every call reads
// the file anew, so edits made by hand while the program runs are seen.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return path_; }

    // A missing or unreadable file loads as an empty document: enough to show
    // what there is, never to write back.
    ProfileDocument Load() const;
    // The bytes Load() reads, and the document of such bytes.
    std::string LoadBytes() const;
    ProfileDocument Parse(std::string bytes) const;
    // The document to change and save: as Load(), but a file that exists and
    // cannot be read throws Failure, since saving would replace every
    // section in it that was never seen.
    ProfileDocument LoadForChange() const;
    // As Load(), but reading stops once the section that counts of this name
    // has ended (the first of its name; a later one is never read): the
    // document then holds the file up to there and answers every question
    // about that section as the whole file would. For the questions asked
    // at every edit, which must see the file as it is now but need not read
    // thousands of employees to do so. Never to be written back.
    ProfileDocument LoadUntilEndOf(std::string_view section) const;
    // Replaces the file as a whole and gives the bytes written; throws
    // Failure("Nach %s kann nicht geschrieben werden") and leaves the file
    // as it was when that fails.
    std::string Save(const ProfileDocument& document) const;

    // The single calls of the profile functions, each one read (and one write).
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void EraseSection(std::string_view section);

  private:
    std::string path_;
};

}  // namespace kolvaro
