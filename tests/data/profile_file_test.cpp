#include "data/profile_file.h"

#include <gtest/gtest.h>

#include <string>

#include "data/failure.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

using testing::FileBytes;
using testing::PutFile;
using testing::TempFolder;

TEST(ProfileDocument, ReadsWhatTheFileHolds) {
    const ProfileDocument doc(
        "; written by hand\r\n"
        "[Global]\r\n"
        "AutoBuchung=1\r\n"
        "\r\n"
        "[ export ]\n"
        "  PFAD  =  /srv/export/  \n"
        "[0001]\r"
        "Nummer=0001\r"
        "Name=M\xfcller\r"
        "Leer=\r"
        "NurText\r"
        "[0001]\r\n"
        "Name=Zweiter\r\n"
        "[Global]\r\n"
        "AutoBuchung=0\r\n"
        "Nummer=ohne Zeilenende");
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"Global", "AutoBuchung", "1"},      // the first of two sections of one name counts
        {"GLOBAL", "autobuchung", "1"},      // names without regard to case
        {"Export", "Pfad", "/srv/export/"},  // blanks around name and value do not count
        {"0001", "Name", "Müller"},          // lone CR line ends; Windows-1252 read as UTF-8
        {"0001", "Leer", ""},
        {"0001", "NurText", std::nullopt},  // a line without "=" holds no key
        {"0001", "Fehlt", std::nullopt},
        {"0002", "Nummer", std::nullopt},
        {"Global", "Nummer", std::nullopt},  // only in the ignored second [Global]
        {"", "Nummer", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(doc.Value(c.section, c.key), c.value) << c.section << "/" << c.key;
    }
    EXPECT_TRUE(doc.HasSection("export"));
    EXPECT_FALSE(doc.HasSection("Mitarbeiter"));
}

TEST(ProfileDocument, ReadBool) {
    const ProfileDocument doc(
        "[B]\r\nEins=1\r\nZwei=2\r\nMinus=-1\r\nNull=0\r\nLeer=\r\nJa=ja\r\nHalb=1x\r\n");
    const struct {
        const char* key;
        bool whenFalse;
        bool whenTrue;
    } cases[] = {{"Eins", true, true},   {"Zwei", true, true},  {"Minus", true, true},
                 {"Null", false, false}, {"Leer", false, true}, {"Ja", false, true},
                 {"Halb", false, true},  {"Fehlt", false, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(doc.ReadBool("B", c.key, false), c.whenFalse) << c.key;
        EXPECT_EQ(doc.ReadBool("B", c.key, true), c.whenTrue) << c.key;
    }
}

TEST(ProfileDocument, LongValuesAreReadAs1023Characters) {
    const std::string longValue(5000, 'x');
    const ProfileDocument doc("[S]\r\nK=" + longValue + "\r\nL=\xe4" + std::string(1022, 'y') +
                              "\xf6\r\n");
    EXPECT_EQ(doc.ReadString("S", "K", ""), std::string(1023, 'x'));
    // Counted in characters of the file, not in bytes of UTF-8.
    EXPECT_EQ(doc.ReadString("S", "L", ""), "ä" + std::string(1022, 'y'));
}

TEST(ProfileDocument, WritingKeepsWhatItDoesNotKnowAndAppendsWhatIsNew) {
    ProfileDocument doc(
        "; Kommentar\n"
        "[Global]\n"
        "AutoBuchung = 1 \n"
        "Unbekannt=bleibt\n"
        "\n"
        "[0003]\r"
        "nummer=0003\r"
        "Extra=x");
    doc.WriteString("global", "NeuerSchluessel", "neu");
    doc.WriteString("0003", "NUMMER", "0003");
    doc.WriteString("0003", "Name", "Weiß");
    doc.WriteBool("0003", "Mo", true);
    doc.WriteString("Export", "Pfad", "/a/b/");
    EXPECT_EQ(doc.Bytes(),
              "; Kommentar\r\n"
              "[Global]\r\n"
              "AutoBuchung = 1 \r\n"
              "Unbekannt=bleibt\r\n"
              "NeuerSchluessel=neu\r\n"
              "\r\n"
              "[0003]\r\n"
              "nummer=0003\r\n"
              "Extra=x\r\n"
              "Name=Wei\xdf\r\n"
              "Mo=1\r\n"
              "[Export]\r\n"
              "Pfad=/a/b/\r\n");
}

TEST(ProfileDocument, EraseRemovesTheSectionWithAllItsKeys) {
    ProfileDocument doc(
        "[A]\r\nk=1\r\n[0005]\r\nNummer=0005\r\nName=x\r\n[B]\r\nk=2\r\n"
        "[0005]\r\nNummer=doppelt\r\n");
    EXPECT_TRUE(doc.EraseSection("0005"));
    EXPECT_FALSE(doc.EraseSection("0005"));
    EXPECT_EQ(doc.Bytes(), "[A]\r\nk=1\r\n[B]\r\nk=2\r\n");
    doc.WriteString("0005", "Nummer", "0005");
    EXPECT_EQ(doc.Bytes(), "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[0005]\r\nNummer=0005\r\n");
}

TEST(ProfileDocument, ALineBreakInAValueBecomesABlank) {
    ProfileDocument doc;
    doc.WriteString("0001", "Name", "Meier\r\n[Global]\nAutoBuchung=1\rx");
    EXPECT_EQ(doc.Bytes(), "[0001]\r\nName=Meier [Global] AutoBuchung=1 x\r\n");
    EXPECT_FALSE(ProfileDocument(doc.Bytes()).HasSection("Global"));
}

TEST(ProfileDocument, RefusesTextThatTheFileCannotHoldAndChangesNothing) {
    ProfileDocument doc("[0001]\r\nName=Alt\r\n", "velmora.ini");
    const std::string before = doc.Bytes();
    const struct {
        const char* section;
        const char* key;
        std::string value;
        const char* refused;
    } cases[] = {
        {"0001", "Name", "Łukasz", "Łukasz"},
        {"0001", "Name", std::string("a\0b", 3), nullptr},
        {"0001", "Name", "\xff", nullptr},
        {"Łódź", "Name", "x", "Łódź"},
        {"a]b", "Name", "x", "a]b"},
        {"0001", "a=b", "x", "a=b"},
        {"0001", "", "x", ""},
    };
    for (const auto& c : cases) {
        try {
            doc.WriteString(c.section, c.key, c.value);
            ADD_FAILURE() << "accepted " << c.value;
        } catch (const Failure& failure) {
            if (c.refused) {
                EXPECT_EQ(std::string(failure.what()),
                          std::string("Der Text '") + c.refused +
                              "' enthält Zeichen, die in der Datei 'velmora.ini' nicht "
                              "gespeichert werden können.");
            }
        }
        EXPECT_EQ(doc.Bytes(), before);
    }
}

TEST(ProfileDocument, AByteOrderMarkHidesNoSectionAndStaysOnWriting) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {bom + "[Global]\r\nAutoBuchung=1\r\n", "Global", "AutoBuchung", "1"},
        {bom + "  [0001]\nNummer=0001\n", "0001", "Nummer", "0001"},
        {bom + "\r\n[Export]\r\nPfad=/srv/\r\n", "Export", "Pfad", "/srv/"},
        // a file marked as UTF-8 holds its names as UTF-8
        {bom + "[0001]\r\nName=M\xC3\xBCller \xC5\x81ukasz\r\n", "0001", "Name", "Müller Łukasz"},
        // bytes that are no UTF-8 there still read as Windows-1252
        {bom + "[0001]\r\nName=M\xFCller\r\n", "0001", "Name", "Müller"},
    };
    for (const auto& c : cases) {
        ProfileDocument doc(c.bytes);
        EXPECT_EQ(doc.ReadString(c.section, c.key, "fehlt"), c.value) << c.bytes;
        const std::string before = doc.Bytes();
        EXPECT_EQ(before.substr(0, 3), bom) << c.bytes;
        doc.WriteString(c.section, "Neu", "Weiß Łukasz");
        const std::string after = doc.Bytes();
        EXPECT_EQ(after.substr(0, 3), bom) << c.bytes;
        EXPECT_NE(after.find("Neu=Wei\xC3\x9F \xC5\x81ukasz\r\n"), std::string::npos) << after;
        EXPECT_EQ(ProfileDocument(after).ReadString(c.section, c.key, "fehlt"), c.value);
    }
    EXPECT_EQ(ProfileDocument(bom).Bytes(), bom);
    // Without the mark the file stays Windows-1252.
    ProfileDocument plain("[0001]\r\n");
    plain.WriteString("0001", "Name", "Weiß");
    EXPECT_EQ(plain.Bytes(), "[0001]\r\nName=Wei\xDF\r\n");
}

TEST(ProfileDocument, OnePairOfQuotesAroundAValueIsDropped) {
    const ProfileDocument doc(
        "[S]\r\n"
        "A=\"1\"\r\n"
        "B= '/srv/export/' \r\n"
        "C=\"\"x\"\"\r\n"
        "D=\"x'\r\n"
        "E=\"\r\n"
        "F=\"\"\r\n"
        "G=a\"b\"\r\n"
        "H=\"" +
        std::string(1100, 'x') + "\"\r\n");
    const struct {
        const char* key;
        std::string value;
    } cases[] = {{"A", "1"},      {"B", "/srv/export/"},
                 {"C", "\"x\""},  {"D", "\"x'"},
                 {"E", "\""},     {"F", ""},
                 {"G", "a\"b\""}, {"H", std::string(1023, 'x')}};
    for (const auto& c : cases) {
        EXPECT_EQ(doc.ReadString("S", c.key, "fehlt"), c.value) << c.key;
    }
    EXPECT_TRUE(doc.ReadBool("S", "A", false));

    // A value in quotes of its own is written so that it reads back with them;
    // every other value is written as it is.
    ProfileDocument written;
    for (const char* value : {"\"Hans\"", "'Hans'", "\"", "\"\"", "a\"b\"", "Hans"}) {
        written.WriteString("S", "K", value);
        EXPECT_EQ(written.ReadString("S", "K", ""), value);
        EXPECT_EQ(ProfileDocument(written.Bytes()).ReadString("S", "K", ""), value);
    }
    EXPECT_EQ(written.Bytes(), "[S]\r\nK=Hans\r\n");
}

TEST(ProfileDocument, RefusesAValueTooLongToReadBackWhole) {
    const std::string longest(ProfileDocument::kMaxValueLength, 'x');
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
        ProfileDocument doc(bom + "[0001]\r\nName=Alt\r\n", "velmora.ini");
        doc.WriteString("0001", "Name", longest);  // exactly as long as is read
        EXPECT_EQ(doc.ReadString("0001", "Name", ""), longest);
        // Counted in characters: an "ü" is one in either encoding.
        const std::string many =
            "\"" + std::string(ProfileDocument::kMaxValueLength - 4, 'a') + "üü\"";
        doc.WriteString("0001", "Name", many);
        EXPECT_EQ(ProfileDocument(doc.Bytes()).ReadString("0001", "Name", ""), many);
        const std::string before = doc.Bytes();
        for (const std::string& value : {longest + "y", "ü" + longest, many + "x"}) {
            try {
                doc.WriteString("0001", "Name", value);
                ADD_FAILURE() << "accepted a value of " << value.size() << " bytes";
            } catch (const Failure& failure) {
                EXPECT_EQ(std::string(failure.what()),
                          "Der Text '" + std::string(value, 0, value.starts_with("ü") ? 21 : 20) +
                              "…' ist zu lang: in der Datei 'velmora.ini' können höchstens "
                              "1023 Zeichen gespeichert werden.");
            }
            EXPECT_EQ(doc.Bytes(), before);
        }
    }
}

TEST(ProfileDocument, DamagedFilesLoad) {
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        garbage += static_cast<char>((i * 7919 + i / 13) & 0xFF);
    }
    static constexpr char kWithNul[] = "[S]\r\nK=a\0b\r\n\0\0\0[T]\0\r\n";
    const std::string cases[] = {
        garbage,
        "[S]\r\nK=" + std::string(10 * 1024 * 1024, 'a') + "\r\nL=2\r\n",
        std::string(10 * 1024 * 1024, '['),
        std::string(kWithNul, sizeof kWithNul - 1),
        "[A]\r\n[B]\r\n[]\r\n[C\r\n]\r\n==\r\n=x\r\nk=v\r\n",
        "k=v\r\nohne=Abschnitt\r\n[S]\r\nK=1\r\n",
        std::string(1024 * 1024, '\r') + std::string(1024 * 1024, '\n'),
    };
    for (const auto& bytes : cases) {
        ProfileDocument doc(bytes);
        doc.ReadString("S", "K", "");
        doc.WriteString("S", "Neu", "1");
        EXPECT_EQ(ProfileDocument(doc.Bytes()).ReadString("S", "Neu", ""), "1");
    }
    EXPECT_EQ(ProfileDocument(cases[1]).ReadString("S", "L", ""), "2");
    EXPECT_EQ(ProfileDocument(cases[5]).ReadString("S", "K", ""), "1");
    EXPECT_FALSE(ProfileDocument(cases[5]).Value("S", "ohne").has_value());
}

TEST(ProfileFile, ReadsTheFileAnewAtEveryCall) {
    TempFolder folder;
    ProfileFile file(folder.File("velmora.ini"));
    EXPECT_EQ(file.ReadString("Global", "AutoBuchung", "leer"), "leer");  // no file yet
    PutFile(file.Path(), "[Global]\r\nAutoBuchung=1\r\n");
    EXPECT_TRUE(file.ReadBool("Global", "AutoBuchung", false));
    PutFile(file.Path(), "[Global]\r\nAutoBuchung=0\r\n");
    EXPECT_FALSE(file.ReadBool("Global", "AutoBuchung", true));
}

// Reading only as far as [Global] goes must answer every [Global] question as
// reading the whole file does, wherever the section lies and however the file
// is cut into the pieces it is read in.
TEST(ProfileFile, ReadingUpToTheEndOfASectionAnswersAsTheWholeFile) {
    const std::string employees = [] {
        std::string text;
        for (int i = 1000; i < 9000; ++i) {
            text += "[" + std::to_string(i) + "]\r\nNummer=" + std::to_string(i) + "\r\n";
        }
        return text;  // about 150 KB: read in several pieces
    }();
    const struct {
        const char* what;
        std::string bytes;
        const char* mode;   // AutoBuchung as the whole file gives it
        const char* state;  // Bundesland
    } cases[] = {
        {"first", "[Global]\r\nAutoBuchung=1\r\nBundesland=BY\r\n" + employees, "1", "BY"},
        {"last, after many", employees + "[global]\r\nAutoBuchung=1\r\nBundesland=HH\r\n", "1",
         "HH"},
        {"twice: the first counts",
         "[Global]\r\nAutoBuchung=0\r\n" + employees +
             "[Global]\r\nAutoBuchung=1\r\nBundesland=BE\r\n",
         "0", ""},
        {"missing", employees, "", ""},
        {"byte-order mark, bare CR", "\xEF\xBB\xBF[Global]\rAutoBuchung=1\r[Export]\rPfad=/x/\r",
         "1", ""},
        {"a key after the first piece",
         "[Global]\r\n;" + std::string(6000, 'x') + "\r\nAutoBuchung=1\r\n" + employees, "1", ""},
        {"a header after the first piece",
         "[Global]\r\nAutoBuchung=1\r\n;" + std::string(4083, 'x') + "\r\n[Export]\r\n", "1", ""},
        {"no line end at the end", "[Global]\r\nAutoBuchung=1", "1", ""},
        {"empty", "", "", ""},
    };
    TempFolder folder;
    const ProfileFile file(folder.File("velmora.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(file.Path(), c.bytes);
        const ProfileDocument whole = file.Load();
        const ProfileDocument start = file.LoadUntilEndOf("Global");
        EXPECT_EQ(whole.ReadString("Global", "AutoBuchung", ""), c.mode);
        EXPECT_EQ(start.ReadString("Global", "AutoBuchung", ""), c.mode);
        EXPECT_EQ(start.ReadString("Global", "Bundesland", ""), c.state);
    }
    // A missing file answers as an empty one.
    EXPECT_EQ(ProfileFile(folder.File("none.ini"))
                  .LoadUntilEndOf("Global")
                  .ReadString("Global", "AutoBuchung", "leer"),
              "leer");
}

TEST(ProfileFile, WriteCreatesTheFileAndEraseOfNothingWritesNothing) {
    TempFolder folder;
    ProfileFile file(folder.File("velmora.ini"));
    file.EraseSection("0001");
    EXPECT_EQ(folder.EntryCount(), 0u);
    file.WriteString("Export", "Pfad", "/home/jürgen/");
    EXPECT_EQ(FileBytes(file.Path()), "[Export]\r\nPfad=/home/j\xfcrgen/\r\n");
    file.WriteBool("Export", "Pfad", true);
    file.EraseSection("EXPORT");
    EXPECT_EQ(FileBytes(file.Path()), "");
}

}  // namespace
}  // namespace kolvaro
