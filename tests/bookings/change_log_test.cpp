#include "bookings/change_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "bookings/month_change.h"
#include "bookings/month_file.h"
#include "bookings/period.h"
#include "data/failure.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

using testing::FileBytes;
using testing::PutFile;
using testing::TempFolder;

std::string FailureOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "(no failure)";
}

ChangeLogEntry Entry(std::string day, std::string column, std::string before, std::string after) {
    return {"12.12.2026 14:03:07", "anna",          std::move(day), std::move(column),
            std::move(before),     std::move(after)};
}

struct LineCase {
    ChangeLogEntry entry;
    const char* line;
};

TEST(ChangeLogLine, FieldsInOrderEmptyShownAsDash) {
    const std::vector<LineCase> cases = {
        {Entry("01.12.2026", "Kommt", "", "07:30"),
         "12.12.2026 14:03:07;anna;01.12.2026;Kommt;-;07:30"},
        {Entry("31.12.2026", "Geht", "16:00", ""),
         "12.12.2026 14:03:07;anna;31.12.2026;Geht;16:00;-"},
        {Entry("02.12.2026", "Pause", "12:00", "12:15"),
         "12.12.2026 14:03:07;anna;02.12.2026;Pause;12:00;12:15"},
        // A separator or line break in a text would shift the fields after it.
        {{"12.12.2026 14:03:07", "a;b\r\nc", "01.12.2026", "Kommt", "", "07:30"},
         "12.12.2026 14:03:07;a b  c;01.12.2026;Kommt;-;07:30"},
        {MonthStateEntry("12.12.2026 14:03:07", "anna", true),
         "12.12.2026 14:03:07;anna;-;Monat;offen;abgeschlossen"},
        {MonthStateEntry("12.12.2026 14:03:07", "anna", false),
         "12.12.2026 14:03:07;anna;-;Monat;abgeschlossen;offen"},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(ComposeChangeLogLine(c.entry), c.line);
    }
}

TEST(ChangeLogLine, NameAndTime) {
    EXPECT_EQ(ChangeLogName("/home/a/Kolvaro/0007_122026.csv"), "/home/a/Kolvaro/0007_122026.log");
    EXPECT_EQ(ChangeLogName("/x/odd"), "/x/odd.log");
    EXPECT_EQ(ChangeLogTime(FixedReading(2026, 12, 1, 7, 5, 9)), "01.12.2026 07:05:09");
    EXPECT_EQ(ChangeLogTime(FixedReading(2027, 1, 31, 23, 59, 59)), "31.01.2027 23:59:59");
    EXPECT_FALSE(LoginName().empty());
}

TEST(ChangeLogState, LastMonthLineDecides) {
    const std::string heading = std::string(kChangeLogHeading) + "\r\n";
    const std::string close = "12.12.2026 14:03:07;anna;-;Monat;offen;abgeschlossen\r\n";
    const std::string reopen = "13.12.2026 09:00:00;bernd;-;Monat;abgeschlossen;offen\r\n";
    const std::string edit = "12.12.2026 14:00:00;anna;01.12.2026;Kommt;-;07:30\r\n";
    struct Case {
        std::string bytes;
        bool closed;
    };
    const std::vector<Case> cases = {
        {"", false},
        {heading + edit, false},
        {heading + edit + close, true},
        {heading + close + edit, true},  // only the month lines count
        {heading + close + reopen, false},
        {heading + close + reopen + close, true},
        {heading + close.substr(0, close.size() - 2), true},  // no line end after the last
        {"x;y;-;Monat;offen;abgeschlossen\n", true},          // a lone LF
        {heading + "x;y;-;Monat;offen;zu\r\n", false},        // not a state the program writes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonthClosedIn(c.bytes), c.closed) << c.bytes;
    }
}

TEST(ChangeLogAppend, HeadingOnceThenWholeLinesInCp1252) {
    TempFolder folder;
    const std::string log = folder.File("0007_122026.log");
    AppendToChangeLog(log, {Entry("01.12.2026", "Kommt", "", "07:30")});
    AppendToChangeLog(log, {{"12.12.2026 14:03:07", "jürgen", "01.12.2026", "Kommt", "07:30", ""},
                            MonthStateEntry("12.12.2026 14:04:00", "jürgen", true)});
    EXPECT_EQ(FileBytes(log),
              "Zeitpunkt;Benutzer;Tag;Spalte;Alt;Neu\r\n"
              "12.12.2026 14:03:07;anna;01.12.2026;Kommt;-;07:30\r\n"
              "12.12.2026 14:03:07;j\xFCrgen;01.12.2026;Kommt;07:30;-\r\n"
              "12.12.2026 14:04:00;j\xFCrgen;-;Monat;offen;abgeschlossen\r\n");
    EXPECT_EQ(ReadMonthState(log), MonthState::Closed);
    EXPECT_EQ(ReadMonthState(folder.File("none.log")), MonthState::Open);
}

TEST(ChangeLogAppend, KeepsWhatAnotherProgramWrote) {
    TempFolder folder;
    const std::string log = folder.File("0007_122026.log");
    PutFile(log, "von Hand;\r\n");
    AppendToChangeLog(log, {Entry("01.12.2026", "Kommt", "", "07:30")});
    EXPECT_EQ(FileBytes(log), "von Hand;\r\n12.12.2026 14:03:07;anna;01.12.2026;Kommt;-;07:30\r\n");
}

// The month file and its log after StoreMonthChange, for the cases where the
// change must not be stored.
class StoreRefused : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string month = folder.File("0007_122026.csv");
    std::string log = folder.File("0007_122026.log");
    bool wrote = false;

    std::string Store() {
        return FailureOf([&] {
            StoreMonthChange(month, {Entry("01.12.2026", "Kommt", "", "07:30")}, [&] {
                wrote = true;
                PutFile(month, "neu\r\n");
            });
        });
    }
};

TEST_F(StoreRefused, ReadOnlyLog) {
    PutFile(month, "alt\r\n");
    PutFile(log, std::string(kChangeLogHeading) + "\r\n");
    ASSERT_EQ(::chmod(log.c_str(), 0444), 0);
    EXPECT_EQ(Store(), FormatMessage(kLogNotWrittenMessage, log));
    EXPECT_FALSE(wrote);
    EXPECT_EQ(FileBytes(month), "alt\r\n");
    EXPECT_EQ(FileBytes(log), std::string(kChangeLogHeading) + "\r\n");
}

TEST_F(StoreRefused, FolderInPlaceOfTheLog) {
    ASSERT_EQ(::mkdir(log.c_str(), 0755), 0);
    // It cannot be read, so whether the month was closed is not known either.
    EXPECT_EQ(Store(), FormatMessage(kLogUnreadableMessage, log));
    EXPECT_FALSE(wrote);
}

TEST_F(StoreRefused, PipeInPlaceOfTheLogIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(log.c_str(), 0644), 0);
    // Read first, the pipe already stops the change.
    EXPECT_EQ(Store(), FormatMessage(kLogUnreadableMessage, log));
    EXPECT_FALSE(wrote);
    // Appending on its own does not wait for a reader either. Should it wait
    // all the same, a reader opened after a few seconds frees it, and the
    // test fails instead of hanging.
    auto append = std::async(std::launch::async, [&] {
        return FailureOf(
            [&] { AppendToChangeLog(log, {Entry("01.12.2026", "Kommt", "", "07:30")}); });
    });
    if (append.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ADD_FAILURE() << "appending waited for a reader of the pipe";
        append.wait();
        ::close(reader);
    }
    EXPECT_EQ(append.get(), FormatMessage(kLogNotWrittenMessage, log));
}

TEST_F(StoreRefused, ClosedMonthThenReopened) {
    PutFile(month, "alt\r\n");
    EXPECT_TRUE(SetMonthClosed(month, true, "12.12.2026 15:00:00", "anna"));
    EXPECT_FALSE(SetMonthClosed(month, true, "12.12.2026 15:00:01", "bernd"));  // closed already
    EXPECT_EQ(Store(), FormatMessage(kMonthClosedMessage, month));
    EXPECT_FALSE(wrote);
    EXPECT_EQ(FileBytes(month), "alt\r\n");

    EXPECT_TRUE(SetMonthClosed(month, false, "12.12.2026 15:10:00", "bernd"));
    EXPECT_EQ(Store(), "(no failure)");
    EXPECT_EQ(FileBytes(month), "neu\r\n");
    EXPECT_EQ(FileBytes(log),
              "Zeitpunkt;Benutzer;Tag;Spalte;Alt;Neu\r\n"
              "12.12.2026 15:00:00;anna;-;Monat;offen;abgeschlossen\r\n"
              "12.12.2026 15:10:00;bernd;-;Monat;abgeschlossen;offen\r\n"
              "12.12.2026 14:03:07;anna;01.12.2026;Kommt;-;07:30\r\n");
}

TEST_F(StoreRefused, MonthFileNotWrittenTakesTheLineBack) {
    PutFile(log, std::string(kChangeLogHeading) + "\r\n");
    const std::string message = FailureOf([&] {
        StoreMonthChange(month, {Entry("01.12.2026", "Kommt", "", "07:30")},
                         [] { throw Failure("Datei kann nicht erstellt werden"); });
    });
    EXPECT_EQ(message, "Datei kann nicht erstellt werden");
    EXPECT_EQ(FileBytes(log), std::string(kChangeLogHeading) + "\r\n");
}

// A cell change applied to the month file as it is now: the log's old text is
// what the file held, also when another program wrote it.
TEST(StoreLoggedCellChange, OldTextFromTheFileAsItIsNow) {
    TempFolder folder;
    const std::string month = folder.File("0007_022008.csv");
    MonthGrid grid;
    grid.listEntry = "0007        Anna Berg";
    grid.dateRows.push_back({"", "Datum"});
    for (const DayIdentity& day : CheckPeriod("01.02.2008", "29.02.2008").days) {
        grid.dateRows.push_back(day);
    }
    grid.headings = {{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}};
    const auto store = [&](std::size_t column, const char* text, const char* user) {
        return StoreLoggedCellChange(month, grid, {4, column, text}, "15.03.2008 09:30:00", user);
    };
    store(0, "07:30", "anna");
    store(0, "07:45", "bernd");  // the other program
    store(0, "07:45", "anna");   // the same text again: no line
    const SavedChange last = store(3, "16:00", "anna");
    EXPECT_EQ(last.month.rows[4].cells[0], "07:45");
    EXPECT_EQ(FileBytes(month), EncodeMonthLines(last.month.lines));
    EXPECT_EQ(FileBytes(ChangeLogName(month)),
              "Zeitpunkt;Benutzer;Tag;Spalte;Alt;Neu\r\n"
              "15.03.2008 09:30:00;anna;04.02.2008;Kommt;-;07:30\r\n"
              "15.03.2008 09:30:00;bernd;04.02.2008;Kommt;07:30;07:45\r\n"
              "15.03.2008 09:30:00;anna;04.02.2008;Geht;-;16:00\r\n");

    ASSERT_TRUE(SetMonthClosed(month, true, "15.03.2008 10:00:00", "anna"));
    const std::string stored = FileBytes(month);
    EXPECT_EQ(FailureOf([&] { store(0, "", "anna"); }), FormatMessage(kMonthClosedMessage, month));
    EXPECT_EQ(FileBytes(month), stored);
}

}  // namespace
}  // namespace kolvaro
