#include "data/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "data/employee_list_reference.h"
#include "data/failure.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

using testing::FileBytes;
using testing::PutFile;
using testing::TempFolder;

class SettingsFile : public ::testing::Test {
  protected:
    std::string Path() const { return folder.File("velmora.ini"); }
    Settings Open(const std::string& bytes) {
        PutFile(Path(), bytes);
        return Settings(Path());
    }
    static EmployeeRecord Record(std::string number, std::string name) {
        EmployeeRecord record;
        record.number = std::move(number);
        record.name = std::move(name);
        record.days = {true, true, false, true, true, false, false};
        record.times = {"07:00", "07:30", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"};
        return record;
    }

    TempFolder folder;
};

TEST_F(SettingsFile, AMissingFileReadsAsDefaults) {
    const Settings settings(Path());
    EXPECT_EQ(settings.ReadMode(), Mode::Journal);
    EXPECT_EQ(settings.ReadExportDirectory("/home/anna/Kolvaro"), "/home/anna/Kolvaro/");
    EXPECT_EQ(settings.ReadExportDirectory("/"), "/");
    EXPECT_TRUE(settings.LoadEmployeeList().empty());
    EXPECT_EQ(settings.FindFreeNumber(), "0001");
    const EmployeeRecord none = settings.ReadEmployee("0001");
    EXPECT_EQ(none.number, "");
    EXPECT_EQ(none.times[0], "00:00");
    EXPECT_EQ(folder.EntryCount(), 0u);  // reading creates nothing
}

TEST_F(SettingsFile, Mode) {
    const struct {
        const char* bytes;
        Mode mode;
    } cases[] = {
        {"[Global]\r\nAutoBuchung=1\r\n", Mode::Generation},
        {"[Global]\r\nAutoBuchung=2\r\n", Mode::Generation},
        {"[global]\nautobuchung = 1\n", Mode::Generation},
        {"[Global]\r\nAutoBuchung=0\r\n", Mode::Journal},
        {"[Global]\r\nAutoBuchung=ja\r\n", Mode::Journal},
        {"[Global]\r\nAutoBuchung=\r\n", Mode::Journal},
        {"[Export]\r\nAutoBuchung=1\r\n", Mode::Journal},
        {"\xEF\xBB\xBF[Global]\r\nAutoBuchung=1\r\n", Mode::Generation},  // saved as UTF-8
        {"[Global]\r\nAutoBuchung=\"1\"\r\n", Mode::Generation},
        {"[Global]\r\nAutoBuchung='1'\r\n", Mode::Generation},
        {"[Global]\r\nAutoBuchung=\"0\"\r\n", Mode::Journal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Open(c.bytes).ReadMode(), c.mode) << c.bytes;
    }
}

TEST_F(SettingsFile, ExportDirectoryAlwaysEndsInASlash) {
    const struct {
        const char* bytes;
        const char* directory;
    } cases[] = {
        {"[Export]\r\nPfad=/srv/export\r\n", "/srv/export/"},
        {"[Export]\r\nPfad=/srv/export/\r\n", "/srv/export/"},
        {"[Export]\r\nPfad=\r\n", "/"},
        {"[Export]\r\nPfad=/home/j\xfcrgen\r\n", "/home/jürgen/"},
        {"[Export]\r\nPfad=\"/srv/export/\"\r\n", "/srv/export/"},
        {"[Export]\r\nPfad='/srv/mit blank'\r\n", "/srv/mit blank/"},
        {"[Global]\r\nAutoBuchung=1\r\n", "/opt/Kolvaro/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Open(c.bytes).ReadExportDirectory("/opt/Kolvaro"), c.directory) << c.bytes;
    }
    Settings settings(Path());
    settings.WriteExportDirectory("/mnt/Übergabe/");
    EXPECT_EQ(settings.ReadExportDirectory("/x"), "/mnt/Übergabe/");
    EXPECT_EQ(FileBytes(Path()),
              "[Global]\r\nAutoBuchung=1\r\n[Export]\r\nPfad=/mnt/\xdc"
              "bergabe/\r\n");
}

TEST_F(SettingsFile, FederalStateIsReadAnewAndWrittenOnlyWhenItChanges) {
    const struct {
        const char* bytes;
        const char* state;  // nullptr: none
    } cases[] = {
        {"[Global]\r\nBundesland=BY\r\n", "BY"},    {"[global]\nbundesland = nw\n", "NW"},
        {"[Global]\r\nBundesland=\r\n", nullptr},   {"[Global]\r\nBundesland=Bayern\r\n", nullptr},
        {"[Export]\r\nBundesland=BY\r\n", nullptr}, {"[Global]\r\nAutoBuchung=1\r\n", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> state = Open(c.bytes).ReadFederalState();
        EXPECT_EQ(state.value_or("-"), c.state != nullptr ? c.state : "-") << c.bytes;
    }

    // Choosing none where the file names none leaves its bytes alone.
    const std::string original = "[Global]\r\nAutoBuchung=1\r\n[0001]\r\nNummer=0001\r\n";
    Settings settings = Open(original);
    settings.WriteFederalState(std::nullopt);
    EXPECT_EQ(FileBytes(Path()), original);
    settings.WriteFederalState("SN");
    EXPECT_EQ(FileBytes(Path()),
              "[Global]\r\nAutoBuchung=1\r\nBundesland=SN\r\n[0001]\r\nNummer=0001\r\n");
    EXPECT_EQ(settings.ReadFederalState().value_or("-"), "SN");
    settings.WriteFederalState(std::nullopt);
    EXPECT_EQ(FileBytes(Path()),
              "[Global]\r\nAutoBuchung=1\r\nBundesland=\r\n[0001]\r\nNummer=0001\r\n");
    EXPECT_FALSE(settings.ReadFederalState());

    // No file yet: choosing none creates none.
    std::remove(Path().c_str());
    Settings(Path()).WriteFederalState(std::nullopt);
    EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST_F(SettingsFile, EmployeeListAndFreeNumber) {
    const Settings settings = Open(
        "[Global]\r\nAutoBuchung=0\r\n"
        "[0004]\r\nNummer=0004\r\nName=Vier\r\n"
        "[0002]\r\nNummer=0002\r\nName=Zwei\r\n"
        "[0001]\r\nNummer=0001\r\n"
        "[0000]\r\nNummer=0000\r\nName=Null\r\n"
        "[12]\r\nNummer=12\r\nName=Kurz\r\n"
        "[0007]\r\nNummer=0007\r\nName=Meier\r\n"
        "[0009]\r\nName=ohne Nummer\r\n"
        "[0010]\r\nNummer=\r\nName=leere Nummer\r\n");
    EXPECT_EQ(settings.LoadEmployeeList(),
              (std::vector<std::string>{"0001        ", "0002        Zwei", "0004        Vier",
                                        "0007        Meier"}));
    EXPECT_EQ(settings.FindFreeNumber(), "0003");
}

// The list is read in one pass over the bytes, beside the document reader
// that answers every other question: on files an editor or another program
// may have left, it must say what the document says, and what is written here.
TEST_F(SettingsFile, EmployeeListOfTrickyFiles) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> entries;
        std::optional<std::string> freeNumber;
    } cases[] = {
        {"CR LF, LF and a lone CR; no line end at the end",
         "[0001]\r\nNummer=0001\r\nName=Eins\r\n[0002]\nNummer=0002\nName=Zwei\n"
         "[0003]\rNummer=0003\rName=Drei\r[0004]\r\nNummer=0004\r\nName=Vier",
         {"0001        Eins", "0002        Zwei", "0003        Drei", "0004        Vier"},
         "0005"},
        {"Windows-1252 beyond Latin-1",
         "[0001]\r\nNummer=0001\r\nName=J\xFCrgen Wei\xDF \x80 \x8A\r\n",
         {"0001        Jürgen Weiß € Š"},
         "0002"},
        {"UTF-8 with a byte-order mark, and a Windows-1252 value in it",
         "\xEF\xBB\xBF[0001]\r\nNummer=0001\r\nName=M\xC3\xBCller\r\n"
         "[0002]\r\nNummer=0002\r\nName=M\xFCller\r\n",
         {"0001        Müller", "0002        Müller"},
         "0003"},
        {"names of keys and sections in any case, blanks around them",
         "  [ 0001 ]  \r\n  nummer  =  0001  \r\nNAME\t=\tGro\xDF \r\n",
         {"0001        Groß"},
         "0002"},
        {"quotes: one matching pair is dropped; an empty number lists nobody",
         "[0001]\r\nNummer=\"0001\"\r\nName='A b'\r\n[0002]\r\nNummer=\"\"\r\nName=Leer\r\n"
         "[0003]\r\nNummer=''\r\n[0004]\r\nNummer=\"0004'\r\nName=\"\"\r\n"
         "[0005]\r\nNummer=\" \"\r\nName=\"x\r\n",
         {"0001        A b", "\"0004'        ", std::string(9, ' ') + "\"x"},
         "0002"},
        {"the first section of a number counts, even without a number in it",
         "[0001]\r\nName=Ohne\r\n[0001]\r\nNummer=0001\r\nName=Zweite\r\n"
         "[0002]\r\nNummer=0002\r\nName=Erste\r\n[0002]\r\nNummer=0002\r\nName=Zweite\r\n",
         {"0002        Erste"},
         "0001"},
        {"the first line of a key counts; comments and other keys do not",
         "[0001]\r\nName=Vorn\r\n;Nummer=9\r\nNummer x=8\r\nNummerx=7\r\nNummer=0001\r\n"
         "Name=Hinten\r\nNummer=0002\r\n",
         {"0001        Vorn"},
         "0002"},
        {"lines that are no header belong to the section before",
         "[0001]\r\nx[0002]\r\n[0003\r\nNummer=0001\r\nName=Eins\r\n"
         "[0002] Rest der Zeile\r\nNummer=0002\r\n",
         {"0001        Eins", "0002        "},
         "0003"},
        {"names that are no employee's number; the list in the order of the numbers",
         "[0000]\r\nNummer=0000\r\n[12]\r\nNummer=12\r\n[00012]\r\nNummer=12\r\n"
         "[abcd]\r\nNummer=1\r\n[0012]\r\nNummer=0012\r\n[0011]\r\nNummer=0011\r\n"
         "[0001]\r\nNummer=0001\r\n",
         {"0001        ", "0011        ", "0012        "},
         "0002"},
        {"a value longer than is read is cut",
         "[0001]\r\nNummer=0001\r\nName=" + std::string(1100, 'x') + "\r\n",
         {"0001        " + std::string(ProfileDocument::kMaxValueLength, 'x')},
         "0002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EmployeeList list = ListEmployees(c.bytes);
        EXPECT_EQ(list.entries, c.entries);
        EXPECT_EQ(list.freeNumber, c.freeNumber);
        const EmployeeList byDocument = reference::EmployeeListOf(ProfileDocument(c.bytes));
        EXPECT_EQ(byDocument.entries, c.entries);
        EXPECT_EQ(byDocument.freeNumber, c.freeNumber);
        const Settings settings = Open(c.bytes);
        EXPECT_EQ(settings.LoadEmployeeList(), c.entries);
        EXPECT_EQ(settings.FindFreeNumber(), c.freeNumber);
    }
}

TEST_F(SettingsFile, AByteOrderMarkHidesNoEmployee) {
    // Saved by an editor as UTF-8: the first employee is still there, so
    // number 0001 is not offered again and no second [0001] is written.
    Settings settings = Open(
        "\xEF\xBB\xBF[0001]\r\nNummer=0001\r\nName=J\xC3\xBCrgen\r\n"
        "[0002]\r\nNummer=0002\r\nName=Zwei\r\n");
    EXPECT_EQ(settings.LoadEmployeeList(),
              (std::vector<std::string>{"0001        Jürgen", "0002        Zwei"}));
    EXPECT_EQ(settings.FindFreeNumber(), "0003");
    settings.WriteEmployee(Record("0001", "Jürgen Weiß"));
    const std::string bytes = FileBytes(Path());
    EXPECT_TRUE(bytes.starts_with(
        "\xEF\xBB\xBF[0001]\r\nNummer=0001\r\nName=J\xC3\xBCrgen Wei\xC3\x9F\r\n"))
        << bytes;
    EXPECT_EQ(bytes.find("[0001]", 4), std::string::npos);
    EXPECT_EQ(settings.LoadEmployeeList().front(), "0001        Jürgen Weiß");
}

TEST_F(SettingsFile, ASectionWithoutNumberIsFreeAndSavingFillsIt) {
    std::string bytes;
    for (int i = 1; i <= 11; ++i) {
        const std::string n = (i < 10 ? "000" : "00") + std::to_string(i);
        bytes += "[" + n + "]\r\nNummer=" + n + "\r\n";
    }
    bytes += "[0012]\r\nName=Rest\r\nEigen=bleibt\r\n";
    Settings settings = Open(bytes);
    EXPECT_EQ(settings.LoadEmployeeList().size(), 11u);
    EXPECT_EQ(settings.FindFreeNumber(), "0012");
    settings.WriteEmployee(Record("0012", "Neu"));
    EXPECT_EQ(settings.LoadEmployeeList().back(), "0012        Neu");
    EXPECT_EQ(settings.FindFreeNumber(), "0013");
    EXPECT_EQ(settings.ReadEmployee("0012").name, "Neu");
    EXPECT_NE(FileBytes(Path()).find("[0012]\r\nName=Neu\r\nEigen=bleibt\r\nNummer=0012\r\nMo=1"),
              std::string::npos);
}

TEST_F(SettingsFile, NoFreeNumberWhenAllAreTaken) {
    std::string bytes;
    for (int i = 1; i <= 9999; ++i) {
        const std::string n = std::string(4 - std::to_string(i).size(), '0') + std::to_string(i);
        bytes += "[" + n + "]\r\nNummer=" + n + "\r\n";
    }
    const Settings settings = Open(bytes);
    EXPECT_EQ(settings.LoadEmployeeList().size(), 9999u);
    EXPECT_EQ(settings.FindFreeNumber(), std::nullopt);
}

TEST_F(SettingsFile, WriteEmployeeWritesTheSeventeenKeysInOrder) {
    Settings settings(Path());
    settings.WriteEmployee(Record("0007", "Meier"));
    const std::string written =
        "[0007]\r\nNummer=0007\r\nName=Meier\r\n"
        "Mo=1\r\nDi=1\r\nMi=0\r\nDo=1\r\nFr=1\r\nSa=0\r\nSo=0\r\n"
        "BeginnVon=07:00\r\nBeginnBis=07:30\r\nPauseBeginnVon=12:00\r\nPauseBeginnBis=12:15\r\n"
        "PauseEndeVon=12:30\r\nPauseEndeBis=12:45\r\nEndeVon=16:00\r\nEndeBis=16:30\r\n";
    EXPECT_EQ(FileBytes(Path()), written);
    EXPECT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0007        Meier"});

    const EmployeeRecord read = settings.ReadEmployee("0007");
    const EmployeeRecord expected = Record("0007", "Meier");
    EXPECT_EQ(read.number, expected.number);
    EXPECT_EQ(read.name, expected.name);
    EXPECT_EQ(read.days, expected.days);
    EXPECT_EQ(read.times, expected.times);
}

TEST_F(SettingsFile, SavingAnExistingNumberReplacesItsKeysAndKeepsUnknownOnes) {
    Settings settings = Open(
        "; von Hand\r\n"
        "[0003]\r\nnummer=0003\r\nNAME=Alt\r\nMo=0\r\nFremd=x\r\nEndeBis=18:00\r\n\r\n"
        "[0004]\r\nNummer=0004\r\n");
    EmployeeRecord record = Record("0003", "Neu");
    record.times[7] = "17:45";
    settings.WriteEmployee(record);
    EXPECT_EQ(FileBytes(Path()),
              "; von Hand\r\n"
              "[0003]\r\nnummer=0003\r\nNAME=Neu\r\nMo=1\r\nFremd=x\r\nEndeBis=17:45\r\n"
              "Di=1\r\nMi=0\r\nDo=1\r\nFr=1\r\nSa=0\r\nSo=0\r\n"
              "BeginnVon=07:00\r\nBeginnBis=07:30\r\nPauseBeginnVon=12:00\r\n"
              "PauseBeginnBis=12:15\r\nPauseEndeVon=12:30\r\nPauseEndeBis=12:45\r\n"
              "EndeVon=16:00\r\n\r\n"
              "[0004]\r\nNummer=0004\r\n");
}

TEST_F(SettingsFile, ReadEmployeeTakesTheKeysFromTheSectionItsNumberNames) {
    const Settings settings = Open(
        "[0001]\r\nNummer=0002\r\nName=Eins\r\n"
        "[0002]\r\nNummer=0002\r\nName=Zwei\r\nMo=5\r\nDi=ja\r\nBeginnVon=99:99\r\n");
    const EmployeeRecord record = settings.ReadEmployee("0001");
    EXPECT_EQ(record.number, "0002");
    EXPECT_EQ(record.name, "Zwei");
    EXPECT_EQ(record.days, (std::array<bool, 7>{true, false, false, false, false, false, false}));
    EXPECT_EQ(record.times[0], "99:99");
    EXPECT_EQ(record.times[1], "00:00");
}

TEST_F(SettingsFile, ANameWithALineBreakStaysOneValue) {
    Settings settings(Path());
    settings.WriteEmployee(Record("0001", "Meier\r\n[0002]\r\nNummer=0002"));
    EXPECT_EQ(settings.LoadEmployeeList(),
              std::vector<std::string>{"0001        Meier [0002] Nummer=0002"});
}

TEST_F(SettingsFile, ANameThatTheFileCannotHoldIsRefusedAndNothingIsWritten) {
    const std::string before = "[0001]\r\nNummer=0001\r\nName=Alt\r\n";
    Settings settings = Open(before);
    try {
        settings.WriteEmployee(Record("0001", "Łukasz"));
        FAIL() << "saved a name that Windows-1252 cannot hold";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(),
                     "Der Text 'Łukasz' enthält Zeichen, die in der Datei 'velmora.ini' nicht "
                     "gespeichert werden können.");
    }
    EXPECT_EQ(FileBytes(Path()), before);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST_F(SettingsFile, ANameTooLongToReadBackIsRefusedAndNothingIsWritten) {
    const std::string before = "[0001]\r\nNummer=0001\r\nName=Alt\r\n";
    Settings settings = Open(before);
    const std::string name(1024, 'n');
    try {
        settings.WriteEmployee(Record("0001", name));
        FAIL() << "saved a name that reads back cut";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(),
                     "Der Text 'nnnnnnnnnnnnnnnnnnnn…' ist zu lang: in der Datei 'velmora.ini' "
                     "können höchstens 1023 Zeichen gespeichert werden.");
    }
    EXPECT_EQ(FileBytes(Path()), before);
    settings.WriteEmployee(Record("0001", name.substr(1)));
    EXPECT_EQ(settings.ReadEmployee("0001").name, name.substr(1));
}

TEST_F(SettingsFile, DeleteEmployee) {
    Settings settings = Open("[0001]\r\nNummer=0001\r\n[0002]\r\nNummer=0002\r\nName=B\r\n");
    settings.DeleteEmployee("0002");
    EXPECT_EQ(FileBytes(Path()), "[0001]\r\nNummer=0001\r\n");
    EXPECT_EQ(settings.FindFreeNumber(), "0002");
}

TEST_F(SettingsFile, DamagedFilesReadWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 50000; ++i) {
        garbage += static_cast<char>((i * 31 + i / 7) & 0xFF);
    }
    static constexpr char kWithNul[] =
        "[0001]\0\r\nNummer=00\0"
        "01\r\n";
    const std::vector<std::string> files = {garbage, std::string(kWithNul, sizeof kWithNul - 1),
                                            "Nummer=0001\r\n[0001\r\nNummer=0001\r\n",
                                            "[0001]\r\n[0002]\r\n[0003]"};
    for (const std::string& bytes : files) {
        Settings settings = Open(bytes);
        settings.ReadMode();
        settings.LoadEmployeeList();
        settings.FindFreeNumber();
        settings.WriteEmployee(Record("0005", "Fünf"));
        EXPECT_EQ(settings.ReadEmployee("0005").name, "Fünf");
    }
}

TEST(NormalizeNumber, BlanksBecomeZeros) {
    const struct {
        const char* field;
        const char* number;
    } cases[] = {{"  12", "0012"}, {"12  ", "1200"}, {"    ", "0000"},
                 {"0007", "0007"}, {" 1 2", "0102"}, {"9999", "9999"}};
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeNumber(c.field), c.number) << c.field;
    }
}

TEST(ListEntry, NumberOfEntryReadsBackTheNumber) {
    const struct {
        const char* number;
        const char* name;
        const char* entry;
    } cases[] = {{"0007", "Meier", "0007        Meier"},
                 {"0012", "", "0012        "},
                 {"9999", "Weiß", "9999        Weiß"},
                 {"ÄÖ12", "Öl", "ÄÖ12        Öl"}};  // characters, not bytes
    for (const auto& c : cases) {
        EXPECT_EQ(ListEntry(c.number, c.name), c.entry) << c.entry;
        EXPECT_EQ(NumberOfEntry(c.entry), c.number) << c.entry;
    }
    EXPECT_EQ(NumberOfEntry("12"), "12");  // a shorter text is all number
}

}  // namespace
}  // namespace kolvaro
