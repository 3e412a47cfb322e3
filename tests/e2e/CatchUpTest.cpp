// What a monitor did not hear is still backed up: changes made while no host ran or while it was
// disabled, a folder missing at start, renamed away and back, a drive unmounted and mounted
// again, and changes the queue could not take while the database was locked. No catch-up ever
// deletes a backup.
#include "tests/e2e/E2eFixture.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "platform/UserSettings.h"
#include "tray/monitor/EngineSettings.h"
#include "tray/monitor/MonitorMessages.h"
#include "tray/monitor/snapshot/Win9XFolderScanner.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

class CatchUpTest : public test::E2eTest {
protected:
    CatchUpTest() {
        timings.keeper.lookInterval = std::chrono::milliseconds(50);
        timings.keeper.retryInterval = std::chrono::milliseconds(200);
        // A real host's settle time: a file's creation and its close make one copy.
        timings.changePause = timings.queuePause = std::chrono::milliseconds(50);
    }
    MonitorState State(int index = 0) const { return session->StatusOf(session->Items(index)).state; }
    bool RunUntilState(MonitorState state) { return RunUntil([&] { return State() == state; }); }
    void UnmountAndMountAgain();
    bool RunUntilWatching() {
        return RunUntil([&] { return State() == MonitorState::Watching; });
    }
};

TEST_F(CatchUpTest, ChangesMadeWhileNoHostRanAreBackedUpAtStartAndNothingIsDeleted) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    WriteFile(watched + "/edited.txt", "old");
    WriteFile(watched + "/renamed.txt", "renamed");
    fs::create_directories(watched + "/sub");
    WriteFile(watched + "/sub/deleted.txt", "deleted");
    ASSERT_TRUE(RunUntilFile(backup + "/sub/deleted.txt", "deleted"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty() && fs::exists(backup + "/renamed.txt"); }));
    StopSession();

    // A copy cut short by a kill left its temporary; the comparison clears it away.
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_EQ(ended, waitpid(ended, nullptr, 0));
    const std::string leftover = backup + "/sub/.pellmar-copy." + std::to_string(ended) + ".0.tmp";
    WriteFile(leftover, "half");
    // The first start's comparison may have raced the files written just after it.
    const int caughtUpBefore = LogCount(CaughtUpMessage(3));
    WriteFile(watched + "/edited.txt", "new, and longer");
    fs::rename(watched + "/renamed.txt", watched + "/sub/moved.txt");
    fs::remove(watched + "/sub/deleted.txt");
    fs::create_directories(watched + "/new/deeper");
    WriteFile(watched + "/new/deeper/unpacked.txt", "unpacked");
    fs::create_directories(watched + "/new/empty");

    StartSession();
    EXPECT_TRUE(RunUntilFile(backup + "/edited.txt", "new, and longer"));
    EXPECT_TRUE(RunUntilFile(backup + "/sub/moved.txt", "renamed"));
    EXPECT_TRUE(RunUntilFile(backup + "/new/deeper/unpacked.txt", "unpacked"));
    ASSERT_TRUE(RunUntil([&] { return LogCount(CaughtUpMessage(3)) > caughtUpBefore && State() == MonitorState::Watching; }));
    // What merely is not there any more keeps its backup: only a deletion seen as it happens goes.
    EXPECT_EQ("renamed", ReadFile(backup + "/renamed.txt"));
    EXPECT_EQ("deleted", ReadFile(backup + "/sub/deleted.txt"));
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(RunUntil([&] { return fs::is_directory(backup + "/new/empty"); }));

    // A start with nothing changed copies nothing and says nothing.
    StopSession();
    const std::size_t entries = Log().size();
    StartSession();
    ASSERT_TRUE(RunUntilWatching());
    WriteFile(watched + "/after.txt", "after");
    ASSERT_TRUE(RunUntil([&] { return Log().size() > entries; }));
    EXPECT_EQ(entries + 1, Log().size()) << Log().back().at("message");  // the copy of after.txt alone
    EXPECT_TRUE(errors.Reports().empty()) << errors.Reports().front().text;
}

TEST_F(CatchUpTest, VersionedFilesAlreadyBackedUpGetNoNewVersionAtStart) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    WriteFile(watched + "/kept.txt", "one");
    ASSERT_TRUE(RunUntilFile(backup + "/kept.1.txt", "one"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    StopSession();
    WriteFile(watched + "/other.txt", "other");

    StartSession();
    ASSERT_TRUE(RunUntilFile(backup + "/other.1.txt", "other"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty() && State() == MonitorState::Watching; }));
    EXPECT_FALSE(fs::exists(backup + "/kept.2.txt"));
}

TEST_F(CatchUpTest, DisableStopsAtOnceAndEnableBacksUpWhatChangedMeanwhile) {
    StartSession();
    FolderScanner* monitor = AddMonitor(Monitor(watched, backup));
    const std::string other = root / "other";
    fs::create_directories(other);
    AddMonitor(Monitor(other, backup + "/other"));
    session->SetMonitorStatus(monitor, 0);
    EXPECT_EQ(MonitorState::Disabled, State(0));

    WriteFile(watched + "/while-disabled.txt", "x");
    WriteFile(other + "/sentinel.txt", "s");
    ASSERT_TRUE(RunUntilFile(backup + "/other/sentinel.txt", "s"));
    EXPECT_FALSE(fs::exists(backup + "/while-disabled.txt"));

    session->SetMonitorStatus(monitor, 1);
    EXPECT_TRUE(RunUntilFile(backup + "/while-disabled.txt", "x"));
}

TEST_F(CatchUpTest, AFolderMissingAtStartIsWatchedOnceItAppears) {
    const std::string later = root / "later";
    StartSession();
    AddMonitor(Monitor(later, backup));
    EXPECT_EQ(MonitorState::WaitingForFolder, State());
    EXPECT_EQ(1, LogCount("Could not start folder scanner because Monitor Path is not available."));

    fs::create_directories(later);
    WriteFile(later + "/early.txt", "made before the watch");
    ASSERT_TRUE(RunUntilFile(backup + "/early.txt", "made before the watch"));
    WriteFile(later + "/watched.txt", "heard");
    EXPECT_TRUE(RunUntilFile(backup + "/watched.txt", "heard"));
    EXPECT_EQ(1, LogCount(kFolderBackMessage));
}

TEST_F(CatchUpTest, AFolderRenamedAwayAndBackIsWatchedAgainWithoutLosingABackup) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    WriteFile(watched + "/a.txt", "a");
    ASSERT_TRUE(RunUntilFile(backup + "/a.txt", "a"));

    const std::string away = root / "away";
    fs::rename(watched, away);
    ASSERT_TRUE(RunUntilState(MonitorState::WaitingForFolder));
    EXPECT_EQ(1, LogCount(kFolderLostMessage));
    WriteFile(away + "/a.txt", "edited while away");
    fs::rename(away, watched);

    EXPECT_TRUE(RunUntilFile(backup + "/a.txt", "edited while away"));
    ASSERT_TRUE(RunUntilWatching());
    WriteFile(watched + "/b.txt", "b");
    EXPECT_TRUE(RunUntilFile(backup + "/b.txt", "b"));
    EXPECT_EQ(1, LogCount(kFolderBackMessage));
}

// A USB disk or a share: the monitored folder is the mount point itself, which stays behind
// empty (on the root file system) while nothing is mounted there.
void CatchUpTest::UnmountAndMountAgain() {
    const std::string drive = root / "drive";
    fs::create_directories(drive);
    if (mount("tmpfs", drive.c_str(), "tmpfs", 0, "size=4m") != 0) GTEST_SKIP() << "mount refused: " << strerror(errno);
    StartSession();
    AddMonitor(Monitor(drive, backup));
    WriteFile(drive + "/report.txt", "on the drive");
    ASSERT_TRUE(RunUntilFile(backup + "/report.txt", "on the drive"));
    ASSERT_TRUE(RunUntilWatching());

    ASSERT_EQ(0, umount2(drive.c_str(), MNT_DETACH));
    ASSERT_TRUE(RunUntilState(MonitorState::WaitingForFolder));
    WriteFile(drive + "/underneath.txt", "on the system disk");  // not the drive: never backed up

    ASSERT_EQ(0, mount("tmpfs", drive.c_str(), "tmpfs", 0, "size=4m"));
    WriteFile(drive + "/report.txt", "edited elsewhere");
    EXPECT_TRUE(RunUntilFile(backup + "/report.txt", "edited elsewhere"));
    ASSERT_TRUE(RunUntilWatching());
    WriteFile(drive + "/new.txt", "new");
    EXPECT_TRUE(RunUntilFile(backup + "/new.txt", "new"));
    StopSession();
    umount2(drive.c_str(), MNT_DETACH);

    EXPECT_FALSE(fs::exists(backup + "/underneath.txt"));
    EXPECT_EQ(1, LogCount(kFolderLostMessage));
    EXPECT_EQ(1, LogCount(kFolderBackMessage));
}

TEST_F(CatchUpTest, AnUnmountedDriveDeletesNoBackupAndIsWatchedAgainWhenMounted) { UnmountAndMountAgain(); }

// A share: the snapshot engine notices the unmount itself, before the session's look does.
TEST_F(CatchUpTest, AnUnmountedShareOfTheSnapshotEngineIsWaitedForTheSameWay) {
    platform::UserSettings::Open()->WriteText(kChangeEngineSetting, "rescan");
    platform::UserSettings::Open()->WriteText(kRescanSecondsSetting, "1");
    engines.changeSignals = Win9XFolderScannerCreator(*dispatcher);
    UnmountAndMountAgain();
}

// Another program holds a write lock on the database for as long as it likes.
class WriteLockHolder {
public:
    explicit WriteLockHolder(const std::string& path)
        : database_(path, false), session_(database_.CreateSession("Holder")), query_(session_.CreateQuery()) {
        database_.SetBusyTimeout(30000);  // the worker may be writing just now
        EXPECT_EQ(0, session_.StartTransaction());
        query_.SetText("DELETE FROM fileinfo WHERE fileid=0;");
        EXPECT_EQ(0, query_.Execute());
    }
    ~WriteLockHolder() { session_.Commit(); }

private:
    SQLiteDatabase database_;
    SQLiteSession& session_;
    SQLiteQuery& query_;
};

TEST_F(CatchUpTest, ALockedDatabaseNeverHoldsTheMainThreadAndEveryChangeIsBackedUpLater) {
    timings.queueSettlingLimit = 20;
    constexpr int kFiles = 1200;  // beyond the queue's 1,000 places and the settle stage
    auto allBackedUp = [&](const std::string& prefix) {
        for (int i = 0; i < kFiles; ++i)
            if (!fs::exists(backup + "/" + prefix + std::to_string(i) + ".txt")) return false;
        return true;
    };
    auto writeFiles = [&](const std::string& prefix) {
        for (int i = 0; i < kFiles; ++i) WriteFile(watched + "/" + prefix + std::to_string(i) + ".txt", prefix);
    };
    auto backlogged = [&] { return session->StatusOf(session->Items(0)).reason.find("job list") != std::string::npos; };
    StartSession();
    AddMonitor(Monitor(watched, backup));
    ASSERT_TRUE(RunUntilWatching());
    {
        WriteLockHolder lock(DatabasePath());
        writeFiles("a");
        ASSERT_TRUE(RunUntil(backlogged));
    }
    EXPECT_TRUE(RunUntil([&] { return allBackedUp("a"); }, std::chrono::seconds(120)));

    // Ended in that state, as by SIGTERM: the next start backs up what the first never stored.
    {
        WriteLockHolder lock(DatabasePath());
        writeFiles("b");
        ASSERT_TRUE(RunUntil(backlogged));
        StopSession();
    }
    StartSession();
    EXPECT_TRUE(RunUntil([&] { return allBackedUp("b"); }, std::chrono::seconds(120)));
}

}  // namespace
}  // namespace pellmar
