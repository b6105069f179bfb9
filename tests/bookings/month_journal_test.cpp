#include "bookings/month_journal.h"
#include "data/durable_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "bookings/month_file.h"
#include "bookings/period.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

// The frame of February 2008 as the window hands it to the run: the days
// with weekday and date, empty cells.
JournalInput February() {
    JournalInput frame;
    frame.dateFrom = "01.02.2008";
    frame.dateTo = "29.02.2008";
    frame.printDate = "03.03.2008";
    frame.printTime = "08:05";
    frame.headings = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    frame.lines = EmptyJournalLines(CheckPeriod(frame.dateFrom, frame.dateTo).days);
    frame.totalCaption = "0:00 ";
    frame.pageWidth = 4800;
    frame.pageHeight = 6800;
    return frame;
}

// A month file as the window writes it, for the given frame and day cells.
std::string FileBytes(const JournalInput& frame, const std::map<int, BookingDay>& days,
                      const std::string& caption) {
    std::vector<DayIdentity> dates{{"", "Datum"}};
    std::vector<BookingDay> rows(1);
    rows[0].cells = frame.headings;
    for (std::size_t i = 0; i < frame.lines.size(); ++i) {
        dates.push_back(frame.lines[i].identity);
        const auto day = days.find(static_cast<int>(i) + 1);
        rows.push_back(day == days.end() ? BookingDay{} : day->second);
    }
    return EncodeMonthLines(
        ComposeMonthLines(std::string("0007        Anna Bäcker"), dates, rows, caption));
}

TEST(MonthJournal, FillsTheDaysFromTheFileAndRecomputesTheTotals) {
    const JournalInput frame = February();
    // Day 4 as written by the program; day 5 edited by hand, its stored day
    // time and the file's total no longer matching the times.
    const std::string bytes =
        FileBytes(frame,
                  {{4, {{"07:52", "12:10", "12:41", "16:35", "08:12", "8:12"}}},
                   {5, {{"08:00", "", "", "12:00", "09:99", "99:00"}}}},
                  "123:45 ");
    const JournalInput page = MonthJournal(frame, "0009        Otto Groß", bytes);

    EXPECT_EQ(page.employee, "0009        Otto Groß");
    EXPECT_EQ(page.dateFrom, frame.dateFrom);
    EXPECT_EQ(page.printTime, "08:05");
    ASSERT_EQ(page.lines.size(), 29u);
    EXPECT_EQ(page.lines[3].identity.date, "04.02.2008");
    EXPECT_EQ(page.lines[3].booking.cells,
              (std::array<std::string, 6>{"07:52", "12:10", "12:41", "16:35", "08:12", "8:12"}));
    EXPECT_EQ(page.lines[4].booking.cells[4], "04:00");
    EXPECT_EQ(page.lines[4].booking.cells[5], "12:12");
    // Days without bookings get their day time and running total, as after
    // any change in the window.
    EXPECT_EQ(page.lines[0].booking.cells[4], "00:00");
    EXPECT_EQ(page.lines[28].booking.cells[5], "12:12");
    EXPECT_EQ(page.totalCaption, "12:12 ");
}

TEST(MonthJournal, RemarksNameTheHolidayOfTheStateAndTheLimitsBroken) {
    JournalInput march = February();
    march.dateFrom = "01.03.2008";
    march.dateTo = "31.03.2008";
    march.lines = EmptyJournalLines(CheckPeriod(march.dateFrom, march.dateTo).days);
    // Karfreitag, 21 March 2008: nine hours without a break.
    const std::string bytes = FileBytes(march, {{21, {{"08:00", "", "", "17:00", "", ""}}}}, "");
    struct Case {
        const char* state;
        bool holiday;
    };
    for (const Case& c : {Case{"", false}, Case{"BY", true}, Case{"by", true}}) {
        SCOPED_TRACE(c.state);
        const JournalInput page = MonthJournal(march, "0007        Anna Bäcker", bytes, c.state);
        const std::string& remarks = page.lines[20].remarks;
        EXPECT_EQ(remarks.find("Karfreitag") != std::string::npos, c.holiday) << remarks;
        EXPECT_NE(remarks.find("Pause"), std::string::npos) << remarks;
        EXPECT_EQ(page.lines[19].remarks, "");
    }
}

TEST(MonthJournal, TakesNothingFromAFileOfAnotherMonthOrNoFile) {
    const JournalInput frame = February();
    JournalInput march = frame;
    march.lines = EmptyJournalLines(CheckPeriod("01.03.2008", "31.03.2008").days);
    const std::string other =
        FileBytes(march, {{4, {{"07:52", "12:10", "12:41", "16:35", "08:12", "8:12"}}}}, "8:12 ");
    for (const std::string& bytes : {other, std::string(), std::string("\xff;;\r\n")}) {
        const JournalInput page = MonthJournal(frame, "0007        Anna Bäcker", bytes);
        EXPECT_EQ(page.totalCaption, "0:00 ");
        EXPECT_EQ(page.lines[3].booking.cells[0], "");
    }
}

TEST(MonthEndText, ShortEntryAndProgress) {
    EXPECT_EQ(ShortEntry("0007        Meier"), "0007 Meier");
    EXPECT_EQ(ShortEntry("0007"), "0007");
    EXPECT_EQ(ShortEntry("0007        "), "0007");
    EXPECT_EQ(MonthEndProgressText(12, 48, "0007        Meier"), "Journal 12 von 48: 0007 Meier");
}

TEST(MonthEndText, FinalMessage) {
    struct Case {
        MonthEndTally tally;
        std::string message;
    };
    const std::vector<std::string> eleven(11, "0009 Huber");
    const Case cases[] = {
        {{3, 0, {}, false, false, ""}, "3 Seiten gedruckt.\nKein Mitarbeiter übersprungen."},
        {{1, 1, {}, false, false, ""},
         "1 Seite gedruckt.\n1 Mitarbeiter ohne Monatsdatei übersprungen."},
        {{0, 2, {"0009 Huber"}, false, false, ""},
         "Keine Seite gedruckt.\n2 Mitarbeiter ohne Monatsdatei übersprungen.\n"
         "1 Mitarbeiter übersprungen, Monatsdatei nicht lesbar:\n0009 Huber"},
        {{4, 0, {}, true, false, ""},
         "Abgebrochen. 4 Seiten gedruckt.\nKein Mitarbeiter übersprungen."},
        {{2, 1, {}, false, true, "/a/Journal_022008.pdf"},
         "2 Seiten in die Datei /a/Journal_022008.pdf geschrieben.\n"
         "1 Mitarbeiter ohne Monatsdatei übersprungen."},
        {{2, 0, {}, true, true, "/a/J.pdf"},
         "Abgebrochen: die Datei /a/J.pdf wurde nicht geschrieben.\nKein Mitarbeiter "
         "übersprungen."},
        {{0, 3, {}, false, true, "/a/J.pdf"},
         "Keine Seite: die Datei /a/J.pdf wurde nicht angelegt.\n"
         "3 Mitarbeiter ohne Monatsdatei übersprungen."},
        {{1, 0, eleven, false, false, ""},
         "1 Seite gedruckt.\n11 Mitarbeiter übersprungen, Monatsdatei nicht lesbar:\n" +
             [] {
                 std::string names;
                 for (int i = 0; i < 10; ++i) {
                     names += "0009 Huber\n";
                 }
                 return names;
             }() +
             "und 1 weitere"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonthEndMessage(c.tally), c.message);
    }
}

class MonthFileContentTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "monthjournal-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

// Root reads any file whatever its permissions, so unreadable here is what
// no one can read as a month file: a folder or a pipe under its name.
TEST_F(MonthFileContentTest, TellsMissingFromUnreadable) {
    std::ofstream(dir_ / "0007_022008.csv", std::ios::binary) << "a;b\r\n";
    std::ofstream(dir_ / "0008_022008.csv", std::ios::binary);
    fs::create_directory(dir_ / "0009_022008.csv");
    ASSERT_EQ(mkfifo((dir_ / "0010_022008.csv").c_str(), 0600), 0);
    struct Case {
        fs::path path;
        ReadOutcome state;
        std::string bytes;
    };
    const Case cases[] = {
        {dir_ / "0007_022008.csv", ReadOutcome::Read, "a;b\r\n"},
        {dir_ / "0008_022008.csv", ReadOutcome::Read, ""},
        {dir_ / "0001_022008.csv", ReadOutcome::Missing, ""},
        {dir_ / "gone" / "0001_022008.csv", ReadOutcome::Missing, ""},
        {dir_ / "0007_022008.csv" / "x.csv", ReadOutcome::Missing, ""},
        {dir_ / "0009_022008.csv", ReadOutcome::Unreadable, ""},
        {dir_ / "0010_022008.csv", ReadOutcome::Unreadable, ""},
    };
    for (const Case& c : cases) {
        const FileRead content = ReadWholeFile(c.path.string());
        EXPECT_EQ(content.outcome, c.state) << c.path;
        EXPECT_EQ(content.bytes, c.bytes) << c.path;
    }
}

}  // namespace
}  // namespace kolvaro
