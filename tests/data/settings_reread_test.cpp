// The settings file may be edited by hand while the program runs: every
// operation must see the file as it is then, however it was changed. Within
// one operation (a Settings::OneRead) the file is read once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "data/settings.h"
#include "temp_folder.h"

namespace kolvaro {
namespace {

using testing::PutFile;
using testing::TempFolder;

// Two files of the same size that list different employees.
const std::string kBefore = "[0001]\r\nNummer=0001\r\nName=Meier\r\n";
const std::string kAfter = "[0002]\r\nNummer=0002\r\nName=Maier\r\n";

// Sets the modification time of `path` back to `when`, as a copy that keeps
// time stamps would.
void SetModified(const std::string& path, const timespec& when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

timespec Modified(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mtim;
}

TEST(SettingsReread, AChangeBetweenTwoReadsIsSeen) {
    const struct {
        const char* how;
        void (*change)(const std::string& path, const std::string& folder);
    } cases[] = {
        {"replaced by another file of the same size and time stamp",
         [](const std::string& path, const std::string& folder) {
             const timespec before = Modified(path);
             const std::string other = folder + "/other.ini";
             PutFile(other, kAfter);
             SetModified(other, before);
             ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
         }},
        {"rewritten in place, same size, time stamp set back",
         [](const std::string& path, const std::string&) {
             const timespec before = Modified(path);
             PutFile(path, kAfter);
             SetModified(path, before);
         }},
        {"grown", [](const std::string& path,
                     const std::string&) { PutFile(path, kAfter + "[0003]\r\nNummer=0003\r\n"); }},
        {"removed", [](const std::string& path,
                       const std::string&) { ASSERT_EQ(std::remove(path.c_str()), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder folder;
        const std::string path = folder.File("velmora.ini");
        PutFile(path, kBefore);
        const Settings settings(path);
        ASSERT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0001        Meier"});
        ASSERT_EQ(settings.FindFreeNumber(), "0002");

        c.change(path, folder.File(""));
        const std::vector<std::string> list = settings.LoadEmployeeList();
        EXPECT_EQ(std::find(list.begin(), list.end(), "0001        Meier"), list.end());
        EXPECT_EQ(settings.ReadEmployee("0001").name, "");
        EXPECT_EQ(settings.FindFreeNumber(), "0001");
    }
}

// Inside a OneRead a change by hand is seen by the next operation only; a
// write still starts from the file as it is, so it keeps that change.
TEST(SettingsReread, OneOperationReadsTheFileOnce) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    PutFile(path, kBefore + "[Global]\r\nAutoBuchung=0\r\n");
    Settings settings(path);
    {
        const Settings::OneRead operation(&settings);
        EXPECT_EQ(settings.ReadMode(), Mode::Journal);
        PutFile(path, kBefore + "[Global]\r\nAutoBuchung=1\r\n" + kAfter);
        EXPECT_EQ(settings.ReadMode(), Mode::Journal);
        EXPECT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0001        Meier"});
        {
            const Settings::OneRead inner(&settings);  // changes nothing
            EXPECT_EQ(settings.FindFreeNumber(), "0002");
        }
        EXPECT_EQ(settings.ReadEmployee("0002").name, "");

        EmployeeRecord record = settings.ReadEmployee("0001");
        record.name = "Müller";
        settings.WriteEmployee(record);
        // The write kept the change by hand, and what it wrote is read from now on.
        EXPECT_EQ(settings.ReadMode(), Mode::Generation);
        EXPECT_EQ(settings.LoadEmployeeList(),
                  (std::vector<std::string>{"0001        Müller", "0002        Maier"}));
        PutFile(path, kBefore);
        EXPECT_EQ(settings.ReadMode(), Mode::Generation);
    }
    // The next operation sees the file as it is now.
    EXPECT_EQ(settings.ReadMode(), Mode::Journal);
    EXPECT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0001        Meier"});
    {
        const Settings::OneRead operation(&settings);
        EXPECT_EQ(settings.FindFreeNumber(), "0002");
        PutFile(path, kAfter);
        settings.DeleteEmployee("0001");  // no longer in the file: nothing to write
        EXPECT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0002        Maier"});
    }
}

TEST(SettingsReread, OfTwoSectionsOfTheSameNumberTheFirstCounts) {
    TempFolder folder;
    const std::string path = folder.File("velmora.ini");
    PutFile(path,
            "[0002]\r\nNummer=0002\r\nName=Erste\r\n"
            "[0001]\r\nName=ohne Nummer\r\n"
            "[0002]\r\nNummer=0002\r\nName=Zweite\r\n"
            "[0001]\r\nNummer=0001\r\nName=zu spät\r\n");
    const Settings settings(path);
    EXPECT_EQ(settings.LoadEmployeeList(), std::vector<std::string>{"0002        Erste"});
    EXPECT_EQ(settings.FindFreeNumber(), "0001");
}

}  // namespace
}  // namespace kolvaro
