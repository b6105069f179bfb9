#include "bookings/export_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/failure.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

std::string Blanks(std::size_t count) {
    return std::string(count, ' ');
}

TEST(ExportRecordTest, ArrivalOnThirdFebruary2004ByteForByte) {
    const std::string expected = std::string("\x18") + "01" + "\x02" + "01" + "030204" + "0705" +
                                 "00" + "0012" + "00" + "\x03" + Blanks(56);
    ASSERT_EQ(expected.size(), 81u);
    EXPECT_EQ(ExportRecord("0012", "03.02.2004", "07:05", 0), expected);

    std::string leaving = expected;
    leaving.replace(22, 2, "??");
    EXPECT_EQ(ExportRecord("0012", "03.02.2004", "07:05", 3), leaving);
}

TEST(ExportRecordTest, KindCodeByColumn) {
    const std::array<const char*, 4> codes = {"00", "??", "00", "??"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(ExportRecord("0007", "01.03.2008", "12:00", column).substr(22, 2),
                  codes[static_cast<std::size_t>(column)])
            << column;
    }
}

TEST(ExportRecordTest, TextsOfTheWrongLengthNeverShiftTheLayout) {
    struct Case {
        const char* number;
        const char* date;
        const char* time;
        const char* fields;  // bytes 6 to 21: day, month, year, hour, minute, seconds, number
    };
    const std::vector<Case> cases = {
        {"0012", "03.02.2004", "07:05", "0302040705000012"},
        {"12", "3.2.2004", "7:5", "3..2  7:  0012  "},
        {"123456", "03.02.2004x", "07:05:00", "0302040705001234"},
        {"0012", "03.02.04", "07:05", "0302  0705000012"},
        {"", "", "", "          00    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.number) + " " + c.date + " " + c.time);
        const std::string record = ExportRecord(c.number, c.date, c.time, 1);
        ASSERT_EQ(record.size(), 81u);
        EXPECT_EQ(record.substr(0, 6), std::string("\x18") + "01\x02" + "01");
        EXPECT_EQ(record.substr(6, 16), c.fields);
        EXPECT_EQ(record.substr(22), "??\x03" + Blanks(56));
    }
}

ExportRow FullDay(const char* date) {
    return {date, {"07:05", "12:00", "12:30", "16:10"}};
}

TEST(ExportBytesTest, OneRecordPerBookingThenLineEnd) {
    EXPECT_EQ(ExportBytes("0012", {}), "\r\n");
    EXPECT_EQ(ExportBytes("0012", {{"01.03.2008", {}}, {"02.03.2008", {}}}), "\r\n");

    const std::string full =
        ExportBytes("0012", {FullDay("03.03.2008"), FullDay("04.03.2008"), FullDay("05.03.2008")});
    EXPECT_EQ(full.size(), 974u);
    EXPECT_EQ(full.substr(972), "\r\n");

    const std::string oneWithoutBreak =
        ExportBytes("0012", {FullDay("03.03.2008"),
                             {"04.03.2008", {"07:00", "", "", "15:00"}},
                             {"08.03.2008", {}},
                             FullDay("05.03.2008")});
    ASSERT_EQ(oneWithoutBreak.size(), 812u);
    // Day by day, and within a day Kommt, Pause, Pause, Geht.
    const std::vector<std::string> order = {
        "0303080705000012", "0303081200000012", "0303081230000012", "0303081610000012",
        "0403080700000012", "0403081500000012", "0503080705000012", "0503081200000012",
        "0503081230000012", "0503081610000012",
    };
    const std::array<const char*, 10> kinds = {"00", "??", "00", "??", "00",
                                               "??", "00", "??", "00", "??"};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::string record = oneWithoutBreak.substr(i * 81, 81);
        EXPECT_EQ(record.substr(6, 16), order[i]) << i;
        EXPECT_EQ(record.substr(22, 2), kinds[i]) << i;
    }
}

TEST(ExportDirectoryTest, EntryGetsOneTrailingSlash) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"/home/a/export", "/home/a/export/"},
        {"/home/a/export/", "/home/a/export/"},
        {"", "/"},
        {"/", "/"},
    };
    for (const auto& [entry, expected] : cases) {
        EXPECT_EQ(ExportDirectoryFromEntry(entry), expected) << entry;
    }
}

class ExportWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("kolvaro_export_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Directory() const { return dir_.string() + "/"; }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void ExpectFailure(const std::string& directory, const std::string& bytes) {
        try {
            WriteExportFile(directory, bytes);
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()),
                      "Datei " + directory + "DADuzo.buc kann nicht erstellt werden");
        }
    }

    std::size_t EntriesIn(const fs::path& dir) const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir_;
};

TEST_F(ExportWriteTest, ASecondExportReplacesTheFirstCompletely) {
    const std::string first =
        ExportBytes("0012", {FullDay("03.03.2008"), FullDay("04.03.2008"), FullDay("05.03.2008")});
    WriteExportFile(Directory(), first);
    EXPECT_EQ(ExportPath(Directory()), Directory() + "DADuzo.buc");
    EXPECT_EQ(Read(dir_ / "DADuzo.buc"), first);

    const std::string second = ExportBytes("0007", {FullDay("10.03.2008")});
    WriteExportFile(Directory(), second);
    EXPECT_EQ(Read(dir_ / "DADuzo.buc"), second);
    EXPECT_EQ(EntriesIn(dir_), 1u);
}

TEST_F(ExportWriteTest, AMissingFolderOrAFolderInPlaceOfTheFileFailsWithTheFullPath) {
    ExpectFailure(Directory() + "fehlt/", "\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "fehlt"));

    fs::create_directory(dir_ / "DADuzo.buc");
    ExpectFailure(Directory(), "\r\n");
    EXPECT_TRUE(fs::is_directory(dir_ / "DADuzo.buc"));
    EXPECT_EQ(EntriesIn(dir_), 1u);
}

TEST_F(ExportWriteTest, AReadOnlyFileKeepsItsFormerExport) {
    const std::string former = ExportBytes("0012", {FullDay("03.03.2008")});
    WriteExportFile(Directory(), former);
    fs::permissions(dir_ / "DADuzo.buc",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ExpectFailure(Directory(), ExportBytes("0007", {}));
    EXPECT_EQ(Read(dir_ / "DADuzo.buc"), former);
    EXPECT_EQ(EntriesIn(dir_), 1u);
}

TEST_F(ExportWriteTest, AReadOnlyVolumeKeepsTheFormerExport) {
    const fs::path mountPoint = dir_ / "volume";
    fs::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    const std::string directory = mountPoint.string() + "/";
    const std::string former = ExportBytes("0012", {FullDay("03.03.2008")});
    WriteExportFile(directory, former);
    const bool readOnly =
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    if (readOnly) {
        ExpectFailure(directory, ExportBytes("0007", {FullDay("10.03.2008")}));
        EXPECT_EQ(Read(mountPoint / "DADuzo.buc"), former);
        EXPECT_EQ(EntriesIn(mountPoint), 1u);
    }
    ::umount(mountPoint.c_str());
    if (!readOnly) {
        GTEST_SKIP() << "cannot remount the tmpfs read-only";
    }
}

}  // namespace
}  // namespace kolvaro
