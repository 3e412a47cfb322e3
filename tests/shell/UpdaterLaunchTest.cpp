// The tray program's side of the updater: the staged updater moved into place, and the updater
// started with its four parameters, detached.
#include "tray/shell/StagedUpdater.h"
#include "tray/shell/UpdaterLaunch.h"

#include "common/CommandLine.h"
#include "platform/Environment.h"
#include "platform/ProgramStart.h"
#include "tests/support/ScratchMount.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_TRUE(location.rfind("https://", 0) == 0 || location.rfind("http://", 0) == 0);
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
    LaunchUpdater(31337, app, true);
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(app + "args"); }));
    EXPECT_EQ(test::ReadFile(app + "args"), fs::current_path().string() + "\n" + UpdateLocation + "\n" + app +
                                                "Pellmar\n1.2.0.0\n31337\n");

    LaunchUpdater(1, root / "missing/", true);  // no updater: nothing happens
}

TEST(UpdaterLaunchTest, UnknownProgramFolderStartsNoUpdaterFromTheWorkingDirectoryOrPath) {
    test::TempFolder root;
    test::ScopedEnvironment env;
    // Stand-ins that each leave their own mark: one in the working directory and on PATH, one installed.
    auto standIn = [&](const std::string& folder, const std::string& mark) {
        fs::create_directories(folder);
        test::WriteFile(folder + "/qmUpdate", "#!/bin/sh\ntouch \"" + mark + "\"\n");
        chmod((folder + "/qmUpdate").c_str(), 0755);
    };
    standIn(root.Path(), root / "look-alike-started");
    standIn(root / "app", root / "installed-started");
    env.Set("PATH", root.Path() + ":" + platform::GetEnvironmentText("PATH"));
    fs::path previous = fs::current_path();
    fs::current_path(root.Path());
    LaunchUpdater(1, "", true);
    fs::current_path(previous);
    LaunchUpdater(1, root / "app/", true);
    // By the time the second start has shown, a first one would have too.
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(root / "installed-started"); }));
    EXPECT_FALSE(fs::exists(root / "look-alike-started"));
}

// A packaged build, and a program folder the user cannot write (root-owned, or a read-only
// mount, which stops root too): the updater would offer an update at every start and could
// never install it, so it is not started at all.
TEST(UpdaterLaunchTest, NoUpdaterForABuildThatDoesNotUpdateItselfOrAFolderTheUserCannotWrite) {
    test::TempFolder root;
    auto standIn = [&](const std::string& folder, const std::string& mark) {
        test::WriteFile(folder + "qmUpdate", "#!/bin/sh\ntouch \"" + mark + "\"\n");
        chmod((folder + "qmUpdate").c_str(), 0755);
    };
    const std::string packaged = root / "packaged/", locked = root / "locked/", writable = root / "writable/";
    for (const std::string& folder : {packaged, locked, writable}) fs::create_directories(folder);
    const bool asRoot = geteuid() == 0;
    std::string why;
    if (asRoot && !test::MountScratchFileSystem(locked, &why)) GTEST_SKIP() << why;
    standIn(packaged, root / "packaged-started");
    standIn(locked, root / "locked-started");
    standIn(writable, root / "writable-started");
    const bool lockedUp = asRoot ? test::MakeScratchFileSystemReadOnly(locked, &why) : chmod(locked.c_str(), 0555) == 0;

    if (lockedUp) LaunchUpdater(1, locked, true);
    LaunchUpdater(1, packaged, false);
    LaunchUpdater(1, writable, true);
    // By the time the last start has shown, an earlier one would have too.
    EXPECT_TRUE(test::WaitUntil([&] { return fs::exists(root / "writable-started"); }));
    EXPECT_FALSE(fs::exists(root / "packaged-started"));
    EXPECT_FALSE(fs::exists(root / "locked-started"));
    if (asRoot) test::UnmountScratchFileSystem(locked);
    chmod(locked.c_str(), 0755);
    EXPECT_TRUE(lockedUp) << why;
}

TEST(UpdaterLaunchTest, StartedProgramHasEverySignalAtItsDefaultAndNoneBlocked) {
    test::TempFolder root;
    std::string report = root / "signals";
    // grep reports its own state, which it inherits; the shell's own may show a mask it holds for a
    // moment while it starts grep.
    test::WriteFile(root / "probe", "#!/bin/sh\ngrep -E '^Sig(Blk|Ign):' /proc/self/status > \"" + report + ".tmp\"\n"
                                    "mv \"" + report + ".tmp\" \"" + report + "\"\n");
    chmod((root / "probe").c_str(), 0755);
    // What a caller may hold: Ctrl+C ignored, the termination signals blocked for a watcher thread.
    struct sigaction ignore {}, previousInt {}, previousQuit {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &previousInt);
    sigaction(SIGQUIT, &ignore, &previousQuit);
    sigset_t blocked, previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);
    bool started = platform::StartDetachedProgram(root / "probe", {}, true);
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGQUIT, &previousQuit, nullptr);
    ASSERT_TRUE(started);
    ASSERT_TRUE(test::WaitUntil([&] { return fs::exists(report); }));
    std::string lines = test::ReadFile(report);
    auto maskOf = [&](const std::string& name) {
        std::size_t at = lines.find(name + ":");
        return at == std::string::npos ? ~0ull : std::stoull(lines.substr(at + name.size() + 1), nullptr, 16);
    };
    auto bit = [](int signal) { return 1ull << (signal - 1); };
    EXPECT_EQ(maskOf("SigIgn") & (bit(SIGINT) | bit(SIGQUIT)), 0u) << lines;
    EXPECT_EQ(maskOf("SigBlk"), 0u) << lines;
}

}  // namespace
}  // namespace pellmar
