// Folders that come, move and go, files written without a close, and paths too long to reach:
// through the real session, inotify and worker on real folders.
#include "tests/e2e/E2eFixture.h"
#include "platform/FolderSignal.h"
#include "tray/model/JobResults.h"
#include "tray/session/StandardEngines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

class FolderChangesTest : public test::E2eTest {
protected:
    // A real host's settle time: a file's creation and its close make one job.
    FolderChangesTest() { timings.changePause = timings.queuePause = std::chrono::milliseconds(50); }
    bool Gone(const std::string& path) {
        return RunUntil([&] { return !fs::exists(path); });
    }
};

TEST_F(FolderChangesTest, FoldersThatLeaveTheTreeTakeTheirBackupsAlongAndNewOnesAreMadeEvenEmpty) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    fs::create_directories(watched + "/empty/inner");
    EXPECT_TRUE(RunUntil([&] { return fs::is_directory(backup + "/empty/inner"); }));
    fs::create_directories(watched + "/proj/src");
    WriteFile(watched + "/proj/src/main.c", "m");
    WriteFile(watched + "/proj/README", "r");
    ASSERT_TRUE(RunUntilFile(backup + "/proj/src/main.c", "m"));
    ASSERT_TRUE(RunUntilFile(backup + "/proj/README", "r"));

    fs::rename(watched + "/proj", watched + "/renamed");
    EXPECT_TRUE(RunUntilFile(backup + "/renamed/src/main.c", "m"));
    EXPECT_TRUE(Gone(backup + "/proj"));

    fs::rename(watched + "/renamed", root / "outside");
    EXPECT_TRUE(Gone(backup + "/renamed"));
    fs::remove_all(watched + "/empty");
    EXPECT_TRUE(Gone(backup + "/empty"));
    ASSERT_TRUE(AllJobsDone());
    EXPECT_GE(LogCount(kJobFolderDeleted), 2);
    EXPECT_EQ(0, LogCount(kJobBackupMissing)) << "a folder already emptied by its files' deletions is no warning";
    for (const auto& entry : Log()) EXPECT_EQ("0", entry.at("status")) << entry.at("message") << " " << entry.at("src");
    EXPECT_TRUE(fs::exists(root / "outside/src/main.c"));
    StopSession();
}

// The hosts' engine choice picks an engine per folder and forwards what it hears: the monitor's
// own rules must still apply to it, exceptions included.
TEST_F(FolderChangesTest, WithTheHostsEngineChoiceAnExceptedFolderStaysOutOfTheBackup) {
    engines = StandardEngines(*dispatcher);
    if (platform::IsChangeBlindFileSystem(watched)) GTEST_SKIP() << "the temporary folder is on a blind file system";
    StartSession();
    auto values = Monitor(watched, backup);
    values.exceptions = {"node_modules"};
    AddMonitor(values);
    fs::create_directories(watched + "/node_modules");
    fs::create_directories(watched + "/src");
    WriteFile(watched + "/src/main.c", "m");
    ASSERT_TRUE(RunUntilFile(backup + "/src/main.c", "m"));
    ASSERT_TRUE(AllJobsDone());
    EXPECT_FALSE(fs::exists(backup + "/node_modules"));
    StopSession();
}

TEST_F(FolderChangesTest, WithoutReplicatedDeletionsAFolderMovedOutKeepsItsBackups) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.deletions = false;
    AddMonitor(values);
    fs::create_directories(watched + "/proj");
    WriteFile(watched + "/proj/a.txt", "a");
    ASSERT_TRUE(RunUntilFile(backup + "/proj/a.txt", "a"));
    fs::rename(watched + "/proj", root / "outside");
    WriteFile(watched + "/after.txt", "later");  // its job comes after any job of the move
    ASSERT_TRUE(RunUntilFile(backup + "/after.txt", "later"));
    ASSERT_TRUE(AllJobsDone());
    EXPECT_EQ("a", ReadFile(backup + "/proj/a.txt"));
    StopSession();
}

// A log a program keeps open, then a truncate: neither ends with a close.
TEST_F(FolderChangesTest, AFileWrittenWithoutACloseIsBackedUpOnceQuietAndSoIsATruncate) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    const std::string log = watched + "/app.log";
    const int fd = open(log.c_str(), O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(7, write(fd, "line 1\n", 7));
    EXPECT_TRUE(RunUntilFile(backup + "/app.log", "line 1\n"));
    ASSERT_EQ(7, write(fd, "line 2\n", 7));
    EXPECT_TRUE(RunUntilFile(backup + "/app.log", "line 1\nline 2\n"));
    close(fd);
    ASSERT_EQ(0, truncate(log.c_str(), 4));
    EXPECT_TRUE(RunUntilFile(backup + "/app.log", "line"));
    StopSession();
}

// A chain of folders whose full path passes the system's limit, made and removed level by level.
class LongChain {
public:
    LongChain(const std::string& top, std::size_t length) : top_(top) {
        int folder = open(top.c_str(), O_DIRECTORY | O_CLOEXEC);
        std::string path = top;
        while (path.size() < length && folder >= 0) {
            mkdirat(folder, kName.c_str(), 0755);
            const int next = openat(folder, kName.c_str(), O_DIRECTORY | O_CLOEXEC);
            close(folder);
            folder = next;
            path += "/" + kName;
            ++levels_;
        }
        if (folder < 0) return;
        const int file = openat(folder, "deep.txt", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (file >= 0) close(file);
        close(folder);
    }
    ~LongChain() { Remove(open(top_.c_str(), O_DIRECTORY | O_CLOEXEC), levels_); }
    int Levels() const { return levels_; }

private:
    static void Remove(int folder, int levels) {
        if (folder < 0) return;
        if (levels == 0) {
            unlinkat(folder, "deep.txt", 0);
        } else {
            Remove(openat(folder, kName.c_str(), O_DIRECTORY | O_CLOEXEC), levels - 1);
            unlinkat(folder, kName.c_str(), AT_REMOVEDIR);
        }
        close(folder);
    }
    inline static const std::string kName = std::string(200, 'd');
    std::string top_;
    int levels_ = 0;
};

TEST_F(FolderChangesTest, APathTooLongToReachIsLoggedOnceWithItsPathAlsoByALaterComparison) {
    LongChain chain(watched, 4300);
    ASSERT_GT(chain.Levels(), 20);
    StartSession();
    FolderScanner* monitor = AddMonitor(Monitor(watched, backup));
    ASSERT_TRUE(RunUntil([&] { return LogCount(kJobNameTooLong) == 1; }));
    const std::string named = Log().back().at("src");
    EXPECT_GE(named.size(), 4096u);
    EXPECT_EQ(0u, named.rfind(watched + "/ddd", 0));

    ASSERT_TRUE(session->SynchroniseMonitor(monitor));
    ASSERT_TRUE(RunUntil([&] { return session->StatusOf(monitor).state != MonitorState::CatchingUp; }));
    ASSERT_TRUE(AllJobsDone());
    EXPECT_EQ(1, LogCount(kJobNameTooLong));
    StopSession();
}

}  // namespace
}  // namespace pellmar
