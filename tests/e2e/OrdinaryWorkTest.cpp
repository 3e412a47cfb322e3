// Ordinary ways of working that used to lose backups: changes the OS dropped, an editor that saves
// by renaming, a deletion waiting behind a re-created file, a backup drive that is not mounted.
// Real folders, the real session and inotify; shrunken pauses.
#include "tests/e2e/E2eFixture.h"

#include <filesystem>

#include "platform/DirectoryWatch.h"
#include "tray/model/ChangeEvent.h"
#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

class OrdinaryWorkTest : public test::E2eTest {
protected:
    // The real settle times: a new file's "created" and "closed after writing" must meet in them.
    OrdinaryWorkTest() {
        timings.changePause = std::chrono::milliseconds(50);
        timings.queuePause = std::chrono::milliseconds(50);
    }
    int LogCount(const std::string& message, const std::string& src = {}) {
        int count = 0;
        for (const auto& entry : Log()) count += entry.at("message") == message && (src.empty() || entry.at("src") == src);
        return count;
    }
    bool LogHas(const std::string& prefix) {
        for (const auto& entry : Log())
            if (entry.at("message").rfind(prefix, 0) == 0) return true;
        return false;
    }
    // Runs the main loop for a while: long enough for several retry passes of the worker.
    void RunFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        RunUntil([&] { return std::chrono::steady_clock::now() >= end; }, time + std::chrono::seconds(5));
    }
    static constexpr const char* kCopied = "File was copied successfully.";
};

// After the kernel dropped changes, every file without a current backup is found by comparing the
// folder with its backup; what is backed up already gets no second version.
TEST_F(OrdinaryWorkTest, LostChangesAreRecoveredByComparingTheFolderWithoutNewVersionsOfBackedUpFiles) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    WriteFile(watched + "/kept.txt", "kept");
    ASSERT_TRUE(RunUntilFile(backup + "/kept.1.txt", "kept"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty() && LogCount(kCopied) == 1; }));

    platform::SimulateLostChangesForTesting();
    fs::create_directories(watched + "/unpacked/deep");
    for (int i = 0; i < 20; ++i) WriteFile(watched + "/unpacked/deep/f" + std::to_string(i) + ".txt", "x");
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(RunUntilFile(backup + "/unpacked/deep/f" + std::to_string(i) + ".1.txt", "x")) << i;
    }
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_TRUE(LogHas("Compared the monitored folder with its backup: "));
    EXPECT_FALSE(fs::exists(backup + "/kept.2.txt"));
    EXPECT_EQ(LogCount(kCopied, watched + "/kept.txt"), 1);

    // "Synchronise now" on a folder that is up to date queues nothing.
    EXPECT_TRUE(session->SynchroniseMonitor(session->Items(0)));
    EXPECT_TRUE(RunUntil([&] { return LogHas("Compared the monitored folder with its backup: 0 files were queued for copying."); }));
}

// An editor saves by writing a new file, renaming the old one to "name~" and the new one into
// place. Each save must become one new version, and none may overwrite a kept one.
TEST_F(OrdinaryWorkTest, SavesByRenamingKeepEveryVersionOnceAndInOrder) {
    StartSession();
    auto values = Monitor(watched, backup);
    values.filters = {"*.txt"};
    values.hasversions = true;
    values.maxversions = 3;
    AddMonitor(values);
    const std::string file = watched + "/r.txt";
    WriteFile(file, "save 1");
    ASSERT_TRUE(RunUntilFile(backup + "/r.1.txt", "save 1"));
    for (int save = 2; save <= 4; ++save) {
        WriteFile(watched + "/.r.txt.new", "save " + std::to_string(save));
        fs::rename(file, file + "~");
        fs::rename(watched + "/.r.txt.new", file);
        ASSERT_TRUE(RunUntilFile(backup + "/r." + std::to_string(save) + ".txt", "save " + std::to_string(save)));
    }
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_FALSE(fs::exists(backup + "/r.1.txt"));
    EXPECT_EQ(ReadFile(backup + "/r.2.txt"), "save 2");
    EXPECT_EQ(ReadFile(backup + "/r.3.txt"), "save 3");
    EXPECT_FALSE(fs::exists(backup + "/r.5.txt"));
}

// A deletion deferred earlier (its backup folder was away) must not run after the file came back
// and was copied: the backup now belongs to the live file.
TEST_F(OrdinaryWorkTest, ADeferredDeletionNeverRemovesTheBackupOfAFileThatCameBack) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    fs::create_directories(watched + "/x");
    WriteFile(watched + "/x/a.txt", "old");
    ASSERT_TRUE(RunUntilFile(backup + "/x/a.txt", "old"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    ChangeEvent deletion;
    deletion.jobtype = ChangeDeleted;
    deletion.fileid = Crc32OfText(watched + "/x/a.txt");
    deletion.src = watched + "/x/a.txt";
    deletion.dest = backup + "/x/a.txt";
    InsertJob(deletion);
    test::ExecStatements(DatabasePath(), "UPDATE jobs SET deferred=1;");

    WriteFile(watched + "/x/a.txt", "new");
    ASSERT_TRUE(RunUntilFile(backup + "/x/a.txt", "new"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    RunFor(std::chrono::milliseconds(800));  // a couple of full passes
    EXPECT_EQ(ReadFile(backup + "/x/a.txt"), "new");
    EXPECT_EQ(LogCount("Did not delete the backup file because the file exists again."), 1);

    // Created and removed before its copy: the sub-folder never reached the backup, so the
    // deletion has nothing to delete instead of waiting for a folder that will never come.
    fs::create_directories(watched + "/x/new");
    WriteFile(watched + "/x/new/b.txt", "short-lived");
    fs::remove_all(watched + "/x/new");
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
}

// A backup drive that is not mounted leaves an empty mount point behind. Nothing may be written
// there; the copies wait and go to the drive once it is back.
TEST_F(OrdinaryWorkTest, AnUnmountedBackupDriveIsOfflineAndNotRecreatedOnTheDiskUnderneath) {
    StartSession();
    AddMonitor(Monitor(watched, backup));  // sub-folders on: the worker creates missing folders
    WriteFile(watched + "/first.txt", "first");
    ASSERT_TRUE(RunUntilFile(backup + "/first.txt", "first"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));

    const std::string drive = root / "drive-away";
    fs::rename(backup, drive);  // unmounted
    fs::create_directories(watched + "/sub");
    WriteFile(watched + "/sub/second.txt", "second");
    ASSERT_TRUE(RunUntil([&] {
        auto jobs = Jobs();
        return !jobs.empty() && jobs.back().at("deferred") == "1";
    }));
    RunFor(std::chrono::milliseconds(800));
    EXPECT_FALSE(fs::exists(backup));

    fs::rename(drive, backup);  // mounted again
    ASSERT_TRUE(RunUntilFile(backup + "/sub/second.txt", "second"));
    EXPECT_EQ(ReadFile(backup + "/first.txt"), "first");
}

}  // namespace
}  // namespace pellmar
