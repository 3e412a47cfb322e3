#include "tray/shell/DataLocations.h"

#include "platform/FileSystem.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;

class DataLocationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("HOME", home.Path());
        env.Unset("XDG_CONFIG_HOME");
        env.Unset("XDG_DATA_HOME");
    }
    std::string ConfPath() const { return home / ".config/Quenmarsh/Pellmar.conf"; }

    test::TempFolder home;
    test::ScopedEnvironment env;
};

TEST_F(DataLocationsTest, FirstRunWritesDefaultsAndCreatesFolders) {
    DataLocations locations = SettleDataLocations();
    std::string data = home / ".local/share/Quenmarsh/Pellmar";
    EXPECT_EQ(locations.dataPath, data);
    EXPECT_EQ(locations.tempFilePath, data + "/TempDestFiles/");
    EXPECT_EQ(locations.databasePath, data + "/db/pellmar.db");
    EXPECT_TRUE(platform::FolderExists(data + "/db"));
    EXPECT_TRUE(platform::FolderExists(data + "/TempDestFiles"));
    EXPECT_EQ(test::ReadFile(ConfPath()), "DataPath=" + data + "\nTempFilePath=" + data + "/TempDestFiles\n");
}

TEST_F(DataLocationsTest, ConfiguredDataPathLeavesTheTemporaryFolderDefault) {
    ASSERT_TRUE(platform::CreateFolder(home / ".config") && platform::CreateFolder(home / ".config/Quenmarsh"));
    test::WriteFile(ConfPath(), "# kept\nDataPath=" + home / "Mixed Case" + "\ngarbage line\nTempFilePath=\n");
    DataLocations locations = SettleDataLocations();
    EXPECT_EQ(locations.dataPath, home / "Mixed Case");
    EXPECT_EQ(locations.tempFilePath, home / ".local/share/Quenmarsh/Pellmar/TempDestFiles/");
    EXPECT_THAT(locations.protectedFolders, ElementsAre("/usr/", home / "mixed case/"));
    // Unknown lines stay; the empty value is replaced in place.
    EXPECT_EQ(test::ReadFile(ConfPath()), "# kept\nDataPath=" + home / "Mixed Case" + "\ngarbage line\nTempFilePath=" +
                                              home / ".local/share/Quenmarsh/Pellmar/TempDestFiles\n");
}

TEST_F(DataLocationsTest, ValuesAreTakenAsWrittenAndTheDelimiterIsAlwaysAppended) {
    env.Set("XDG_CONFIG_HOME", home / "cfg");
    ASSERT_TRUE(platform::CreateFolder(home / "cfg") && platform::CreateFolder(home / "cfg/Quenmarsh"));
    test::WriteFile(home / "cfg/Quenmarsh/Pellmar.conf",
                    "datapath=" + home / "d\xC3\xA9" + "\nTempFilePath=" + home / "tmp/" + "\n");
    DataLocations locations = SettleDataLocations();
    EXPECT_EQ(locations.dataPath, home / "d\xC3\xA9");
    EXPECT_EQ(locations.tempFilePath, home / "tmp//");
    EXPECT_TRUE(platform::FolderExists(home / "tmp"));
}

TEST_F(DataLocationsTest, UnwritableConfigFolderFallsBackToDefaultsSilently) {
    if (geteuid() == 0) {
        // root ignores permission bits; a file where the folder should be blocks it the same way.
        test::WriteFile(home / ".config", "not a folder");
    } else {
        ASSERT_TRUE(platform::CreateFolder(home / ".config"));
        chmod((home / ".config").c_str(), 0500);
    }
    DataLocations locations = SettleDataLocations();
    EXPECT_EQ(locations.dataPath, home / ".local/share/Quenmarsh/Pellmar");
    EXPECT_FALSE(platform::FileExists(ConfPath()));
    EXPECT_TRUE(platform::FolderExists(locations.dataPath + "/db"));
}

TEST_F(DataLocationsTest, NoHomeMeansRootRelativeDefaults) {
    env.Unset("HOME");
    EXPECT_EQ(DefaultDataPath(), "/Quenmarsh/Pellmar");
    EXPECT_EQ(DefaultTempFilePath(), "/Quenmarsh/Pellmar/TempDestFiles");
}

}  // namespace
}  // namespace pellmar
