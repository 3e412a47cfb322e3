// The autostart entry in a temporary XDG_CONFIG_DIRS: written, detected, removed, and left alone
// where it cannot be read or written.
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
    void SetUp() override { env.Set("XDG_CONFIG_DIRS", config.Path() + "/:/etc/xdg"); }
    std::string Entry() const { return config / "autostart/PellmarTray.desktop"; }

    test::TempFolder config;
    test::ScopedEnvironment env;
};

TEST_F(AutostartTest, WrittenDetectedAndRemoved) {
    EXPECT_EQ(platform::AutostartEntryLocation(), Entry());
    bool autostart = true;
    ReadAutostart(autostart);
    EXPECT_FALSE(autostart);  // no autostart folder yet: no entry

    WriteAutostart(true, "/opt/Pel mar/");
    EXPECT_EQ(test::ReadFile(Entry()),
              "[Desktop Entry]\nType=Application\nName=Pellmar\nExec=\"/opt/Pel mar/Pellmar\"\nTerminal=false\n");
    ReadAutostart(autostart);
    EXPECT_TRUE(autostart);

    WriteAutostart(false, "/opt/Pel mar/");
    EXPECT_FALSE(fs::exists(Entry()));
    ReadAutostart(autostart);
    EXPECT_FALSE(autostart);
    WriteAutostart(false, "/opt/Pel mar/");  // no entry to delete: no change, no error
    EXPECT_FALSE(fs::exists(Entry()));
    EXPECT_EQ(std::distance(fs::directory_iterator(config / "autostart"), fs::directory_iterator()), 0);
}

TEST_F(AutostartTest, AnyEntryCountsAndTheRunningProgramsFolderIsTheDefault) {
    fs::create_directories(Entry());  // not even a file
    bool autostart = false;
    ReadAutostart(autostart);
    EXPECT_TRUE(autostart);
    fs::remove(Entry());

    WriteAutostart(true);
    std::string content = test::ReadFile(Entry());
    EXPECT_NE(content.find("Exec=\"" + platform::GetProgramFolder() + "Pellmar\"\n"), std::string::npos);
}

TEST_F(AutostartTest, UnknownOrRelativeProgramFolderWritesNoEntryNamingABareProgram) {
    WriteAutostart(true, "");
    EXPECT_FALSE(platform::WriteAutostartEntry(true, "bin/"));
    EXPECT_FALSE(fs::exists(Entry()));
    WriteAutostart(true, "/opt/");
    WriteAutostart(false, "");  // deleting needs no folder
    EXPECT_FALSE(fs::exists(Entry()));
}

TEST_F(AutostartTest, ExecArgumentEscapesWhatTheDesktopFormatWouldInterpret) {
    WriteAutostart(true, "/opt/a$b\"c`d\\e%f/");
    EXPECT_NE(test::ReadFile(Entry()).find("Exec=\"/opt/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f/Pellmar\"\n"), std::string::npos);
}

TEST_F(AutostartTest, UnreadableOrUnwritablePlaceChangesNothing) {
    // A configuration folder that is a file: the place can neither be read nor written.
    env.Set("XDG_CONFIG_DIRS", config / "not-a-folder");
    test::WriteFile(config / "not-a-folder", "x");
    bool autostart = true;
    ReadAutostart(autostart);
    EXPECT_TRUE(autostart);
    autostart = false;
    ReadAutostart(autostart);
    EXPECT_FALSE(autostart);
    WriteAutostart(true, "/opt/");
    EXPECT_EQ(test::ReadFile(config / "not-a-folder"), "x");

    // Empty or relative first entries fall back to the system default.
    env.Set("XDG_CONFIG_DIRS", "");
    EXPECT_EQ(platform::AutostartEntryLocation(), "/etc/xdg/autostart/PellmarTray.desktop");
    env.Set("XDG_CONFIG_DIRS", "relative/dir:" + config.Path());
    EXPECT_EQ(platform::AutostartEntryLocation(), "/etc/xdg/autostart/PellmarTray.desktop");
}

}  // namespace
}  // namespace pellmar
