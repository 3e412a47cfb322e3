// The autostart entry in a temporary XDG_CONFIG_HOME, with a temporary folder standing in for the
// machine-wide one: written, detected, removed, earlier machine-wide entries taken over, and a
// place that cannot be written reported.
#include "tray/shell/Autostart.h"

#include "platform/AutostartEntry.h"
#include "platform/Environment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("XDG_CONFIG_HOME", home / "config");
        env.Set("XDG_CONFIG_DIRS", system / "xdg/" + ":/etc/xdg");
    }
    std::string Entry() const { return home / "config/autostart/PellmarTray.desktop"; }
    std::string SystemEntry() const { return system / "xdg/autostart/PellmarTray.desktop"; }
    bool Read(bool current) {
        ReadAutostart(current);
        return current;
    }

    test::TempFolder home;
    test::TempFolder system;
    test::ScopedEnvironment env;
};

TEST_F(AutostartTest, TheUsersOwnEntryIsWrittenDetectedAndRemovedWithoutAnyRights) {
    EXPECT_EQ(platform::AutostartEntryLocation(), Entry());
    EXPECT_FALSE(Read(true));  // no configuration folder yet: no entry

    ASSERT_TRUE(WriteAutostart(true, "/opt/Pel mar/"));
    EXPECT_EQ(test::ReadFile(Entry()),
              "[Desktop Entry]\nType=Application\nName=Pellmar\nExec=\"/opt/Pel mar/Pellmar\"\nTerminal=false\n");
    EXPECT_TRUE(Read(false));

    EXPECT_TRUE(WriteAutostart(false, "/opt/Pel mar/"));
    EXPECT_FALSE(fs::exists(Entry()));
    EXPECT_FALSE(Read(true));
    EXPECT_TRUE(WriteAutostart(false, ""));  // nothing to delete, and deleting needs no folder
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "config/autostart"), fs::directory_iterator()), 0);

    // The running program's folder by default; never a bare or relative program name.
    ASSERT_TRUE(WriteAutostart(true));
    EXPECT_NE(test::ReadFile(Entry()).find("Exec=\"" + platform::GetProgramFolder() + "Pellmar\"\n"), std::string::npos);
    EXPECT_FALSE(WriteAutostart(true, ""));
    EXPECT_FALSE(platform::WriteAutostartEntry(true, "bin/"));
}

TEST_F(AutostartTest, AnEarlierMachineWideEntryCountsAndIsTakenOverOrOverridden) {
    fs::create_directories(system / "xdg/autostart");
    test::WriteFile(SystemEntry(), "[Desktop Entry]\nExec=Pellmar\n");
    EXPECT_TRUE(Read(false));
    ASSERT_TRUE(WriteAutostart(true, "/opt/"));
    EXPECT_FALSE(fs::exists(SystemEntry())) << "moved to the user's own folder";
    EXPECT_TRUE(fs::exists(Entry()));

    // One this user cannot remove (here a folder, which even root cannot unlink) is overridden
    // by a hidden entry of the user's own.
    fs::create_directories(SystemEntry());
    EXPECT_TRUE(WriteAutostart(false, "/opt/"));
    EXPECT_FALSE(Read(true));
    EXPECT_NE(test::ReadFile(Entry()).find("Hidden=true\n"), std::string::npos);
    ASSERT_TRUE(WriteAutostart(true, "/opt/"));
    EXPECT_TRUE(Read(false));
}

TEST_F(AutostartTest, ExecArgumentEscapesWhatTheDesktopFormatWouldInterpret) {
    ASSERT_TRUE(WriteAutostart(true, "/opt/a$b\"c`d\\e%f/"));
    EXPECT_NE(test::ReadFile(Entry()).find("Exec=\"/opt/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f/Pellmar\"\n"), std::string::npos);
}

TEST_F(AutostartTest, APlaceThatCannotBeWrittenChangesNothingAndSaysWhere) {
    // A configuration folder that is a file: the place can neither be read nor written.
    test::WriteFile(home / "config", "x");
    EXPECT_TRUE(Read(true));
    EXPECT_FALSE(Read(false));
    EXPECT_FALSE(WriteAutostart(true, "/opt/"));
    EXPECT_EQ(test::ReadFile(home / "config"), "x");
    EXPECT_NE(AutostartFailureMessage(true).find(Entry()), std::string::npos);

    // Without XDG_CONFIG_HOME the folder is the one under HOME; relative values are not used.
    env.Set("XDG_CONFIG_HOME", "relative/dir");
    env.Set("HOME", home.Path());
    EXPECT_EQ(platform::AutostartEntryLocation(), home / ".config/autostart/PellmarTray.desktop");
}

}  // namespace
}  // namespace pellmar
