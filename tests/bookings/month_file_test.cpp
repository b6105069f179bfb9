#include "bookings/month_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bookings/period.h"
#include "bookings/publisher.h"
#include "bookings/totals.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

// Both grids of the window for a period, headings in row 0.
struct Grids {
    std::vector<DayIdentity> dates;
    std::vector<BookingDay> bookings;
};

Grids MakeGrids(const char* start, const char* end) {
    Grids grids;
    grids.dates.push_back({"", "Datum"});
    grids.bookings.push_back({{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}});
    for (const DayIdentity& day : CheckPeriod(start, end).days) {
        grids.dates.push_back(day);
        grids.bookings.push_back({});
    }
    return grids;
}

// The day lines recomputed; returns the total caption.
std::string Recompute(Grids& grids) {
    std::vector<BookingDay> days(grids.bookings.begin() + 1, grids.bookings.end());
    const std::string caption = ComputeTotals(days);
    std::copy(days.begin(), days.end(), grids.bookings.begin() + 1);
    return caption;
}

// February 2008 with the bookings of its first week.
Grids February2008(std::string& caption) {
    Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    grids.bookings[4].cells = {"07:52", "12:10", "12:41", "16:35"};  // Mo 04.02.
    grids.bookings[5].cells = {"22:00", "02:00", "02:30", "06:00"};  // Di 05.02.
    grids.bookings[29].cells = {"08:00", "", "", "12:00"};           // Fr 29.02.
    caption = Recompute(grids);
    return grids;
}

const std::string kEntry = "0007        Müller";

// The grid after applying what the parser found to emptied day lines.
std::vector<BookingDay> Apply(const LoadedMonth& loaded, std::size_t rows) {
    std::vector<BookingDay> grid(rows);
    for (std::size_t r = 0; r < loaded.cells.size() && r < rows; ++r) {
        for (std::size_t c = 0; c < 6; ++c) {
            if (loaded.cells[r][c]) {
                grid[r].cells[c] = *loaded.cells[r][c];
            }
        }
    }
    return grid;
}

TEST(MonthFileNameTest, Table) {
    struct Case {
        const char* dir;
        const char* number;
        const char* end;
        const char* name;
    } const cases[] = {
        {"/home/a", "0007", "29.02.2008", "/home/a/0007_022008.csv"},
        {"/", "0012", "31.12.2099", "/0012_122099.csv"},
        {"/home/a", "0007", "", "/home/a/0007_.csv"},
        {"/home/a", "0007", "29.0", "/home/a/0007_0.csv"},
        {"/home/a", "0007", "29.02.20", "/home/a/0007_0220.csv"},
        {"/home/a", "0007", "29.02.2008 ", "/home/a/0007_022008.csv"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonthFileName(c.dir, c.number, c.end), c.name) << c.end;
    }
}

TEST(MonthFileTest, February2008Layout) {
    std::string caption;
    Grids grids = February2008(caption);
    EXPECT_EQ(caption, "19:42 ");
    const auto lines = ComposeMonthLines(kEntry, grids.dates, grids.bookings, caption);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[0], ";0007        Müller");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], ";Datum;Kommt;Pause;Pause;Geht;Tag;Summe;");
    EXPECT_EQ(lines[3], "Fr;01.02.2008;;;;;00:00;0:00;");
    EXPECT_EQ(lines[6], "Mo;04.02.2008;07:52;12:10;12:41;16:35;08:12;8:12;");
    EXPECT_EQ(lines[7], "Di;05.02.2008;22:00;02:00;02:30;06:00;07:30;15:42;");
    EXPECT_EQ(lines[11], "Sa;09.02.2008;;;;;00:00;15:42;");
    EXPECT_EQ(lines[31], "Fr;29.02.2008;08:00;;;12:00;04:00;19:42;");
    EXPECT_EQ(lines[32], "");
    EXPECT_EQ(lines[33], ";;;;;;Summe:;19:42 ;");
    EXPECT_EQ(lines[34], "");
    EXPECT_EQ(lines[35], "");
    EXPECT_EQ(lines[36], kPublisherLine);

    const std::string bytes = EncodeMonthLines(lines);
    // Windows-1252 "ü", CR LF after every line, the last one included.
    EXPECT_EQ(bytes.substr(0, 21), ";0007        M\xFCller\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - kPublisherLine.size() - 2),
              std::string(kPublisherLine) + "\r\n");
    std::size_t crlf = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2)) {
        ++crlf;
    }
    EXPECT_EQ(crlf, 37u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 37);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 37);
}

TEST(MonthFileTest, TotalCaptionKeepsItsBlank) {
    Grids grids = MakeGrids("01.03.2008", "31.03.2008");
    const auto lines = ComposeMonthLines(kEntry, grids.dates, grids.bookings, "163:45 ");
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[35], ";;;;;;Summe:;163:45 ;");
    // Read back, the total comes from the times, never from the stored one.
    EXPECT_EQ(ParseMonthLines(lines, grids.dates).totalCaption, "0:00 ");
    grids.bookings[1].cells = {"08:00", "", "", "16:00"};
    EXPECT_EQ(ParseMonthLines(ComposeMonthLines(kEntry, grids.dates, grids.bookings, "163:45 "),
                              grids.dates)
                  .totalCaption,
              "8:00 ");
}

TEST(MonthFileTest, RoundTripRestoresEveryCell) {
    std::string caption;
    Grids grids = February2008(caption);
    const std::string bytes =
        EncodeMonthLines(ComposeMonthLines(kEntry, grids.dates, grids.bookings, caption));
    const LoadedMonth loaded = ParseMonthFile(bytes, grids.dates);
    ASSERT_EQ(loaded.cells.size(), grids.dates.size());
    for (std::size_t c = 0; c < 6; ++c) {
        EXPECT_FALSE(loaded.cells[0][c].has_value()) << "headings are never set";
    }
    const auto restored = Apply(loaded, grids.bookings.size());
    for (std::size_t r = 1; r < grids.bookings.size(); ++r) {
        for (std::size_t c = 0; c < 6; ++c) {
            ASSERT_TRUE(loaded.cells[r][c].has_value()) << r << "," << c;
        }
        EXPECT_EQ(restored[r].cells, grids.bookings[r].cells) << "row " << r;
    }
    EXPECT_EQ(loaded.totalCaption, caption);
}

TEST(MonthFileTest, AnotherYearFillsNoRowAndGivesNoTotal) {
    std::string caption;
    Grids old = February2008(caption);
    const auto lines = ComposeMonthLines(kEntry, old.dates, old.bookings, caption);
    const Grids grids = MakeGrids("01.02.2009", "28.02.2009");
    const LoadedMonth loaded = ParseMonthLines(lines, grids.dates);
    for (const auto& row : loaded.cells) {
        for (const auto& cell : row) {
            EXPECT_FALSE(cell.has_value());
        }
    }
    EXPECT_EQ(loaded.totalCaption, std::nullopt);
}

TEST(MonthFileTest, ComposingNeedsASelectedEmployee) {
    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    try {
        ComposeMonthLines(std::nullopt, grids.dates, grids.bookings, "0:00 ");
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "Listenindex außerhalb des zulässigen Bereichs");
    }
    EXPECT_THROW(ComposeMonthLines("0007        A\r\nB", grids.dates, grids.bookings, "0:00 "),
                 Failure);
}

TEST(MonthFileTest, NameWindows1252CannotHoldIsRefused) {
    const Grids grids = MakeGrids("01.02.2008", "01.02.2008");
    const auto lines =
        ComposeMonthLines("0007        Łukasz", grids.dates, grids.bookings, "0:00 ");
    try {
        EncodeMonthLines(lines);
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("'0007        Łukasz'"), std::string::npos)
            << failure.what();
    }
}

// --- damaged files ---

// February 2008's file as the program writes it, as lines.
std::vector<std::string> FebruaryLines() {
    std::string caption;
    Grids grids = February2008(caption);
    return ComposeMonthLines(kEntry, grids.dates, grids.bookings, caption);
}

std::string Join(const std::vector<std::string>& lines, const char* end) {
    std::string text;
    for (const auto& line : lines) {
        text += line + end;
    }
    return text;
}

struct DamageCase {
    const char* what;
    std::string bytes;
    std::vector<int> filledRows;  // rows whose four times come from the file
};

std::vector<DamageCase> DamageCases() {
    const auto good = FebruaryLines();
    std::vector<int> all;
    for (int r = 1; r <= 29; ++r) {
        all.push_back(r);
    }
    const std::vector<int> firstTwentySeven(all.begin(), all.end() - 2);
    std::vector<DamageCase> cases;
    cases.push_back({"as written", Join(good, "\r\n"), all});
    cases.push_back({"lone LF", Join(good, "\n"), all});
    cases.push_back({"lone CR", Join(good, "\r"), all});
    cases.push_back(
        {"no final line end", Join(good, "\r\n").substr(0, Join(good, "\r\n").size() - 2), all});
    cases.push_back({"empty file", "", {}});
    {
        auto lines = good;
        lines.pop_back();
        cases.push_back({"last line removed", Join(lines, "\r\n"), all});
    }
    {
        const std::vector<std::string> lines(good.begin(), good.begin() + 32);
        cases.push_back({"cut after the last day", Join(lines, "\r\n"), all});
        const std::vector<std::string> fewer(good.begin(), good.begin() + 30);
        cases.push_back({"cut after the 27th", Join(fewer, "\r\n"), firstTwentySeven});
    }
    {
        auto lines = good;
        lines.push_back("x");
        lines.push_back("y");
        cases.push_back({"lines added at the end", Join(lines, "\r\n"), all});
    }
    {
        auto lines = good;
        lines.insert(lines.begin(), "extra");  // every day line one line further down
        cases.push_back({"line added at the start", Join(lines, "\r\n"), all});
        lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
        cases.push_back({"and the empty lines removed", Join(lines, "\r\n"), all});
    }
    {
        auto lines = good;
        std::swap(lines[6], lines[20]);              // days out of order
        lines.insert(lines.begin() + 10, lines[7]);  // the 5th twice: the first one counts
        lines[10].replace(14, 5, "09:00");
        cases.push_back({"days out of order and twice", Join(lines, "\r\n"), all});
    }
    cases.push_back(
        {"five lines with a summary", "a\r\nb\r\nc\r\nd\r\n;;;;;;Summe:;1:00 ;\r\n", {}});
    {
        auto lines = good;
        lines[33] = ";;;;;;Summe:;99:00 ;tail;more;";  // the stored total is never shown
        cases.push_back({"summary damaged", Join(lines, "\r\n"), all});
    }
    {
        auto lines = good;
        lines[6] += "junk;more;";      // fields after the eighth are ignored
        lines[7].replace(0, 2, "Mi");  // wrong weekday: row stays empty
        std::vector<int> rows = all;
        rows.erase(rows.begin() + 4);
        cases.push_back({"extra fields and a wrong weekday", Join(lines, "\r\n"), rows});
    }
    {
        auto lines = good;
        lines[10] = "Fr;" + std::string(1 << 20, '1') + ";07:00;;;16:00;09:00;9:00;";
        lines[11] = std::string(1 << 20, ';');
        lines[12] = std::string(1 << 20, 'x');
        std::vector<int> rows = all;
        rows.erase(rows.begin() + 7, rows.begin() + 10);
        cases.push_back({"megabyte lines", Join(lines, "\r\n"), rows});
    }
    return cases;
}

TEST(MonthFileDamageTest, Table) {
    std::string caption;
    const Grids grids = February2008(caption);
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.what);
        // What the grid should show: the times of the rows found, all
        // totals computed from them.
        Grids expected = MakeGrids("01.02.2008", "29.02.2008");
        for (const int r : c.filledRows) {
            expected.bookings[r] = grids.bookings[r];
        }
        const std::string expectedCaption = Recompute(expected);

        const LoadedMonth loaded = ParseMonthFile(c.bytes, grids.dates);
        ASSERT_EQ(loaded.cells.size(), grids.dates.size());
        for (std::size_t r = 0; r < loaded.cells.size(); ++r) {
            const bool filled = std::find(c.filledRows.begin(), c.filledRows.end(),
                                          static_cast<int>(r)) != c.filledRows.end();
            for (std::size_t col = 0; col < 6; ++col) {
                const bool set = filled || (col >= 4 && r > 0 && !c.filledRows.empty());
                if (set) {
                    ASSERT_TRUE(loaded.cells[r][col].has_value()) << r << "," << col;
                    EXPECT_EQ(*loaded.cells[r][col], expected.bookings[r].cells[col])
                        << r << "," << col;
                } else {
                    EXPECT_FALSE(loaded.cells[r][col].has_value()) << r << "," << col;
                }
            }
        }
        EXPECT_EQ(loaded.totalCaption,
                  c.filledRows.empty() ? std::nullopt : std::optional(expectedCaption));
    }
}

TEST(MonthFileDamageTest, ShortDayLineEmptiesTheMissingTimes) {
    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    std::vector<std::string> lines(37);
    lines[3] = "Fr;01.02.2008;07:00;12:00";  // the last field needs no ";"
    lines[4] = "Sa;02.02.2008;;";
    const LoadedMonth loaded = ParseMonthLines(lines, grids.dates);
    EXPECT_EQ(loaded.cells[1][0], "07:00");
    EXPECT_EQ(loaded.cells[1][1], "12:00");
    EXPECT_EQ(loaded.cells[1][2], "");
    EXPECT_EQ(loaded.cells[1][4], "05:00");  // the morning counts
    EXPECT_EQ(loaded.cells[2][0], "");
    EXPECT_EQ(loaded.cells[2][3], "");
    EXPECT_EQ(loaded.totalCaption, "5:00 ");
}

TEST(MonthFileDamageTest, NeverBeyondTheGrid) {
    // A March file (31 days) read into a grid of three days of March.
    Grids march = MakeGrids("01.03.2008", "31.03.2008");
    for (std::size_t r = 1; r < march.bookings.size(); ++r) {
        march.bookings[r].cells = {"08:00", "", "", "16:00"};
    }
    const std::string caption = Recompute(march);
    const auto lines = ComposeMonthLines(kEntry, march.dates, march.bookings, caption);
    const Grids grids = MakeGrids("01.03.2008", "03.03.2008");
    const LoadedMonth loaded = ParseMonthLines(lines, grids.dates);
    ASSERT_EQ(loaded.cells.size(), 4u);
    EXPECT_EQ(loaded.cells[3][5], "24:00");
    EXPECT_EQ(loaded.totalCaption, "24:00 ");

    // Rows without a day (a rejected period leaves them empty) take nothing.
    std::vector<DayIdentity> blank(4);
    std::vector<std::string> keyless(12);
    keyless[3] = ";;07:00;;;16:00;09:00;9:00;";
    const LoadedMonth none = ParseMonthLines(keyless, blank);
    EXPECT_FALSE(none.cells[1][0].has_value());
}

TEST(MonthFileDamageTest, ArbitraryBytesNeverBreakTheReader) {
    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 4000, '\0');
        for (char& b : bytes) {
            // Plenty of separators and line ends among the noise.
            const unsigned pick = random() % 8;
            b = pick == 0 ? ';' : pick == 1 ? '\n' : pick == 2 ? '\r' : static_cast<char>(random());
        }
        const LoadedMonth loaded = ParseMonthFile(bytes, grids.dates);
        EXPECT_EQ(loaded.cells.size(), grids.dates.size());
        auto days = Apply(loaded, grids.dates.size());
        days.erase(days.begin());
        ComputeTotals(days);  // damaged cells are not times: no throw
    }
}

TEST(MonthFileSplitTest, LineEnds) {
    struct Case {
        const char* bytes;
        std::vector<std::string> lines;
    } const cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\xE4;\x80", {"ä;€"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitMonthFile(c.bytes), c.lines) << c.bytes;
    }
}

// --- saving and loading on disk ---

class MonthFileDiskTest : public ::testing::Test {
  protected:
    // The folder itself goes with the fixture, after this.
    void TearDown() override {
        if (mounted_) {
            umount(mountPoint().c_str());
        }
    }
    fs::path mountPoint() const { return dir_ / "ro"; }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    testing::TempFolder folder_;
    fs::path dir_ = folder_.Path();
    bool mounted_ = false;
};

TEST_F(MonthFileDiskTest, SaveAndLoad) {
    std::string caption;
    const Grids grids = February2008(caption);
    const std::string path = MonthFileName(dir_.string(), "0007", "29.02.2008");
    const auto lines = ComposeMonthLines(kEntry, grids.dates, grids.bookings, caption);
    SaveMonthFile(path, lines);
    EXPECT_EQ(Read(path), EncodeMonthLines(lines));
    const FileRead read = ReadWholeFile(path);
    ASSERT_EQ(read.outcome, ReadOutcome::Read);
    const LoadedMonth loaded = ParseMonthFile(read.bytes, grids.dates);
    EXPECT_EQ(Apply(loaded, grids.bookings.size())[4].cells, grids.bookings[4].cells);
    EXPECT_EQ(loaded.totalCaption, caption);
}

TEST_F(MonthFileDiskTest, FailedSaveNamesThePath) {
    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    const auto lines = ComposeMonthLines(kEntry, grids.dates, grids.bookings, "0:00 ");
    const fs::path inTheWay = dir_ / "0007_022008.csv";
    fs::create_directory(inTheWay);
    const fs::path missingFolder = dir_ / "gone" / "0007_022008.csv";
    for (const fs::path& path : {inTheWay, missingFolder}) {
        try {
            SaveMonthFile(path.string(), lines);
            ADD_FAILURE() << "no failure for " << path;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.what(), "Datei " + path.string() + " kann nicht erstellt werden");
        }
    }
    EXPECT_TRUE(fs::is_directory(inTheWay));
}

TEST_F(MonthFileDiskTest, UnencodableNameWritesNothing) {
    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    const std::string path = (dir_ / "0007_022008.csv").string();
    const auto lines =
        ComposeMonthLines("0007        Łukasz", grids.dates, grids.bookings, "0:00 ");
    EXPECT_THROW(SaveMonthFile(path, lines), Failure);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(MonthFileDiskTest, FailedSaveKeepsTheFormerFile) {
    fs::create_directory(mountPoint());
    if (mount("tmpfs", mountPoint().c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    mounted_ = true;
    const fs::path path = mountPoint() / "0007_022008.csv";
    { std::ofstream(path, std::ios::binary) << "former\r\n"; }
    ASSERT_EQ(mount("tmpfs", mountPoint().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);

    const Grids grids = MakeGrids("01.02.2008", "29.02.2008");
    const auto lines = ComposeMonthLines(kEntry, grids.dates, grids.bookings, "0:00 ");
    EXPECT_THROW(SaveMonthFile(path.string(), lines), Failure);
    EXPECT_EQ(Read(path), "former\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace kolvaro
