// The tray program's side of the updater: the staged updater moved into place, and the updater
// started with its four parameters, detached.
#include "tray/shell/StagedUpdater.h"
#include "tray/shell/UpdaterLaunch.h"

#include "common/CommandLine.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using namespace std::chrono_literals;

class StagedUpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(app + "Tmp");
        test::WriteFile(app + "qmUpdate", "old updater");
        chmod((app + "qmUpdate").c_str(), 0755);
    }
    test::TempFolder root;
    std::string app = root / "Pel mar/";
};

TEST_F(StagedUpdaterTest, StagedUpdaterReplacesTheInstalledOneAndTmpGoes) {
    test::WriteFile(app + "Tmp/qmUpdate", "new updater");
    InstallStagedUpdater(app, 0ms);
    EXPECT_EQ(test::ReadFile(app + "qmUpdate"), "new updater");
    EXPECT_FALSE(fs::exists(app + "Tmp"));
    struct stat info {};
    ASSERT_EQ(stat((app + "qmUpdate").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(StagedUpdaterTest, OtherFilesInTmpStayWithTheFolder) {
    test::WriteFile(app + "Tmp/qmUpdate", "new updater");
    test::WriteFile(app + "Tmp/lib.dat", "failed earlier");
    InstallStagedUpdater(app, 0ms);
    EXPECT_EQ(test::ReadFile(app + "qmUpdate"), "new updater");
    EXPECT_FALSE(fs::exists(app + "Tmp/qmUpdate"));
    EXPECT_EQ(test::ReadFile(app + "Tmp/lib.dat"), "failed earlier");
}

TEST_F(StagedUpdaterTest, NothingStagedOrCopyFailingLeavesEverything) {
    InstallStagedUpdater(app, 0ms);
    EXPECT_EQ(test::ReadFile(app + "qmUpdate"), "old updater");
    EXPECT_TRUE(fs::exists(app + "Tmp"));

    test::WriteFile(app + "Tmp/qmUpdate", "new updater");
    chmod((app + "qmUpdate").c_str(), 0555);
    InstallStagedUpdater(app, 0ms);
    EXPECT_EQ(test::ReadFile(app + "qmUpdate"), "old updater");
    EXPECT_EQ(test::ReadFile(app + "Tmp/qmUpdate"), "new updater");
}

TEST(UpdaterLaunchTest, ParametersInOrderWithOnlyThePathQuoted) {
    EXPECT_EQ(std::string(ProgramVersion), "1.2.0.0");
    std::string location = UpdateLocation;
    EXPECT_EQ(location.rfind("http://", 0), 0u);
    EXPECT_EQ(location.substr(location.size() - 16), "/updates/Pellmar");
    EXPECT_EQ(BuildUpdaterParameters("/opt/Pel mar/", -17), location + " \"/opt/Pel mar/Pellmar\" 1.2.0.0 -17");
    EXPECT_THAT(ParseCommandLine("qmUpdate " + BuildUpdaterParameters("/opt/Pel mar/", 4242)),
                ElementsAre(location, "/opt/Pel mar/Pellmar", "1.2.0.0", "4242"));
}

TEST(UpdaterLaunchTest, UpdaterIsStartedWithItsArgumentsInTheCurrentDirectory) {
    test::TempFolder root;
    std::string app = root / "Pel mar/";
    fs::create_directories(app);
    // A stand-in updater that records its arguments and working directory, one per line.
    test::WriteFile(app + "qmUpdate", "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"$(dirname \"$0\")/args.tmp\"\n"
                                      "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args\"\n");
    chmod((app + "qmUpdate").c_str(), 0755);
    LaunchUpdater(31337, app);
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(app + "args"); }));
    EXPECT_EQ(test::ReadFile(app + "args"), fs::current_path().string() + "\n" + UpdateLocation + "\n" + app +
                                                "Pellmar\n1.2.0.0\n31337\n");

    LaunchUpdater(1, root / "missing/");  // no updater: nothing happens
}

}  // namespace
}  // namespace pellmar
