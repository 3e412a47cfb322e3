// Changes in a watched folder reach the backup folder through the whole chain: scanner, change
// handler, queue, jobs table and worker. Real folders, real SQLite, shrunken pauses.
#include "tests/e2e/E2eFixture.h"

#include <filesystem>

#include "platform/LocalClock.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

class ReplicationTest : public test::E2eTest {};

TEST_F(ReplicationTest, CreatedModifiedAndDeletedFilesAreReplicatedWithTheirSubFolders) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    WriteFile(watched + "/a.txt", "first");
    ASSERT_TRUE(RunUntilFile(backup + "/a.txt", "first"));
    // The monitor merges modifications of one file within one clock second into the first.
    const int second = platform::LocalTimeNow().second;
    ASSERT_TRUE(test::WaitUntil([&] { return platform::LocalTimeNow().second != second; }));
    WriteFile(watched + "/a.txt", "second");
    ASSERT_TRUE(RunUntilFile(backup + "/a.txt", "second"));

    fs::create_directories(watched + "/x/y");
    WriteFile(watched + "/x/y/deep.txt", "deep");
    ASSERT_TRUE(RunUntilFile(backup + "/x/y/deep.txt", "deep"));

    fs::remove(watched + "/a.txt");
    ASSERT_TRUE(RunUntil([&] { return !fs::exists(backup + "/a.txt"); }));
    EXPECT_TRUE(fs::exists(backup + "/x/y/deep.txt"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    bool sawCopy = false, sawDelete = false;
    for (const auto& entry : Log()) {
        sawCopy |= entry.at("message") == "File was copied successfully." && entry.at("operation") == "0";
        sawDelete |= entry.at("message") == "File was deleted successfully." && entry.at("operation") == "1";
    }
    EXPECT_TRUE(sawCopy);
    EXPECT_TRUE(sawDelete);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(ReplicationTest, ExceptionMasksProtectedFoldersAndABackupFolderInsideTheWatchedOne) {
    StartSession();
    auto values = Monitor(watched, watched + "/mirror");
    values.exceptions = {"*.tmp"};
    fs::create_directories(watched + "/mirror");
    AddMonitor(values);

    WriteFile(watched + "/skip.tmp", "no");
    WriteFile(watched + "/keep.doc", "yes");
    ASSERT_TRUE(RunUntilFile(watched + "/mirror/keep.doc", "yes"));
    // The backup copy lands in a watched folder: it must not be copied again (mirror/mirror/...).
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    WriteFile(watched + "/last.doc", "z");  // a later change proves the chain drained the earlier ones
    ASSERT_TRUE(RunUntilFile(watched + "/mirror/last.doc", "z"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_FALSE(fs::exists(watched + "/mirror/skip.tmp"));
    EXPECT_FALSE(fs::exists(watched + "/mirror/mirror"));
    for (const auto& entry : Log()) {
        EXPECT_EQ(std::string::npos, entry.at("src").find("/mirror/")) << entry.at("src");
        EXPECT_EQ(std::string::npos, entry.at("src").find("skip.tmp")) << entry.at("src");
    }
}

TEST_F(ReplicationTest, ABackupFolderNamedThroughALinkOrDotDotStillNeverFeedsItself) {
    fs::create_directories(watched + "/mirror");
    fs::create_directory_symlink(watched + "/mirror", root / "mirror-link");
    for (const std::string& backupName : {root / "mirror-link", watched + "/../watched/mirror"}) {
        SCOPED_TRACE(backupName);
        StartSession();
        auto values = Monitor(watched, backupName);
        values.maxversions = 2;  // a copy's own version would otherwise be versioned again
        values.hasversions = true;
        FolderScanner* monitor = AddMonitor(values);
        WriteFile(watched + "/keep.doc", "yes");
        ASSERT_TRUE(RunUntil([&] { return fs::exists(watched + "/mirror/keep.1.doc"); }));
        WriteFile(watched + "/last.doc", "z");  // a later change proves the chain drained the earlier ones
        ASSERT_TRUE(RunUntilFile(watched + "/mirror/last.1.doc", "z"));
        ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
        EXPECT_FALSE(fs::exists(watched + "/mirror/mirror"));
        EXPECT_FALSE(fs::exists(watched + "/mirror/keep.1.1.doc"));
        for (const auto& entry : Log()) EXPECT_EQ(std::string::npos, entry.at("src").find("/mirror/")) << entry.at("src");
        session->DeleteFolderItem(monitor);
        StopSession();
        test::ExecStatements(DatabasePath(), "DELETE FROM fileinfo; DELETE FROM log;");
        fs::remove_all(watched);
        fs::create_directories(watched + "/mirror");
    }
}

TEST_F(ReplicationTest, ABackupFolderEqualToOrAboveTheWatchedOneNeverTouchesTheUsersFiles) {
    StartSession();
    fs::create_directories(watched + "/deep");
    AddMonitor(Monitor(watched, watched));                // equal
    AddMonitor(Monitor(watched + "/deep", root.Path()));  // above
    for (const std::string& folder : {watched, watched + "/deep"}) {
        WriteFile(folder + "/x.doc", "first");
        fs::remove(folder + "/x.doc");
        WriteFile(folder + "/x.doc", "again");  // a queued deletion of the "backup" would take this
    }
    // Changes are handled in order: once a later one in another monitor has landed, these have too.
    test::TempFolder elsewhere;  // outside the folder that is now a backup folder
    fs::create_directories(elsewhere / "other");
    AddMonitor(Monitor(elsewhere / "other", elsewhere / "bak"));
    WriteFile(elsewhere / "other/sentinel.txt", "s");
    ASSERT_TRUE(RunUntilFile(elsewhere / "bak/sentinel.txt", "s"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    EXPECT_EQ("again", ReadFile(watched + "/x.doc"));
    EXPECT_EQ("again", ReadFile(watched + "/deep/x.doc"));
    for (const auto& entry : Log()) {
        EXPECT_EQ(std::string::npos, entry.at("src").find(watched)) << entry.at("src");
    }
}

TEST_F(ReplicationTest, FilesInTheProgramsOwnDataFolderAreNeverReplicated) {
    StartSession();
    // The data folder holds the database: a monitor on it must not copy its own journal churn.
    fs::create_directories(DataPath() + "/notes");
    AddMonitor(Monitor(DataPath(), backup));
    WriteFile(DataPath() + "/notes/n.txt", "n");
    AddMonitor(Monitor(watched, backup + "/w"));
    WriteFile(watched + "/later.txt", "l");
    ASSERT_TRUE(RunUntilFile(backup + "/w/later.txt", "l"));
    EXPECT_FALSE(fs::exists(backup + "/notes"));
    EXPECT_FALSE(fs::exists(backup + "/db"));
}

TEST_F(ReplicationTest, QuotesAndPercentSignsInNamesSurviveTheJobTable) {
    StartSession();
    AddMonitor(Monitor(watched, backup));
    const std::string name = "it's 100% \"done\" %s %d.txt";
    WriteFile(watched + "/" + name, "q");
    ASSERT_TRUE(RunUntilFile(backup + "/" + name, "q"));
    ASSERT_TRUE(RunUntil([&] { return Jobs().empty(); }));
    bool logged = false;
    for (const auto& entry : Log()) logged |= entry.at("src") == watched + "/" + name;
    EXPECT_TRUE(logged);
}

}  // namespace
}  // namespace pellmar
