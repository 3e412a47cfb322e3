// The restore core on real folders: what the listing finds in the backup and the temporary
// folder, and what a restore leaves in the monitored folder, the backup and a folder elsewhere.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "tests/support/TempFolder.h"
#include "tray/restore/Restore.h"

namespace pellmar {
namespace {

using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

// The job queue thread's counters, as a map.
class MapCounter final : public VersionCounter {
public:
    std::optional<std::int32_t> TakeNext(const std::string& source, std::int32_t atLeast) override {
        std::int32_t& last = counters[source];
        last = std::max(last + 1, atLeast);
        return last;
    }
    std::map<std::string, std::int32_t> counters;
};

class RestoreTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    std::string watched = folder / "watched", backup = folder / "backup", temp = folder / "temp/";
    ScannerValues monitor;
    SystemFileOperations files{true, 2};  // as a host restores: staged, on two copy threads
    MapCounter counter;

    RestoreTest() {
        fs::create_directories(watched);
        fs::create_directories(backup);
        monitor.root = watched;
        monitor.backuppath = backup;
        monitor.hasversions = true;
        monitor.maxversions = 10;
    }

    // A kept file `hoursAgo` hours old, as the copy that kept it left it.
    static void Kept(const std::string& path, const std::string& content, int hoursAgo) {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, content);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    }
};

TEST_F(RestoreTest, AFileWithFiveVersionsGoesBackToVersionTwoAndTodaysContentIsKeptAsTheNextVersion) {
    const std::string name = "my \"quoted\" r\xC3\xA9sum\xC3\xA9 \xE2\x80\x94 draft.doc";
    const std::string stem = "my \"quoted\" r\xC3\xA9sum\xC3\xA9 \xE2\x80\x94 draft";
    for (int v = 1; v <= 4; ++v) Kept(backup + "/" + stem + "." + std::to_string(v) + ".doc", "v" + std::to_string(v), 10 - v);
    // Version 5 waits in the temporary folder: the backup was offline when it was made.
    Kept(temp + watched.substr(1) + "/" + stem + ".5.doc", "v5", 5);
    WriteFile(watched + "/" + name, "today");

    std::vector<FileHistory> listed = ListBackup(monitor, watched + "/" + name, temp);
    ASSERT_EQ(1u, listed.size());
    ASSERT_EQ(5u, listed[0].copies.size());
    EXPECT_EQ(watched + "/" + name, listed[0].source);
    EXPECT_TRUE(listed[0].copies.back().parked);
    EXPECT_EQ(5, listed[0].copies.back().number);
    EXPECT_EQ(2u, listed[0].copies[1].size);
    EXPECT_LT(listed[0].copies[0].modified, listed[0].copies[1].modified);

    std::optional<RestoreItem> item = PlanVersion(listed[0], 2, watched + "/" + name, std::nullopt);
    ASSERT_TRUE(item);
    const RestoreResult result = RunRestore(monitor, {*item}, files, counter);
    ASSERT_EQ(1u, result.restored);
    EXPECT_EQ(backup + "/" + stem + ".6.doc", result.files[0].kept);
    EXPECT_EQ("v2", ReadFile(watched + "/" + name));
    EXPECT_EQ("today", ReadFile(backup + "/" + stem + ".6.doc"));
    EXPECT_EQ(6, counter.counters[watched + "/" + name]);
    listed = ListBackup(monitor, watched + "/" + name, temp);
    ASSERT_EQ(6u, listed[0].copies.size());
    EXPECT_EQ(6, listed[0].copies.back().number);
    // Nothing but the file and the new version: no temporary is left behind.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(watched), fs::directory_iterator()));

    // Restoring what the file already holds keeps no second copy of it.
    const RestoreResult again = RunRestore(monitor, {*item}, files, counter);
    EXPECT_EQ(RestoreOutcome::Unchanged, again.files[0].outcome);
    EXPECT_EQ(6, counter.counters[watched + "/" + name]);
}

TEST_F(RestoreTest, AFolderGoesBackToATimeBetweenTwoSavesAndFilesNewerThanThatAreLeftAlone) {
    Kept(backup + "/a.1.txt", "a old", 30);
    Kept(backup + "/a.2.txt", "a new", 10);
    Kept(backup + "/sub/b.1.txt", "b old", 30);
    Kept(backup + "/sub/b.2.txt", "b new", 10);
    Kept(backup + "/late.1.txt", "late", 10);
    // A folder made while the backup was offline: only the temporary folder holds its version.
    Kept(temp + watched.substr(1) + "/new/c.1.txt", "c parked", 10);
    WriteFile(watched + "/a.txt", "a new");
    fs::create_directories(watched + "/sub");
    WriteFile(watched + "/sub/b.txt", "b edited since");
    WriteFile(watched + "/late.txt", "late");

    const std::vector<FileHistory> listed = ListBackup(monitor, watched, temp);
    ASSERT_EQ(4u, listed.size());
    EXPECT_EQ(watched + "/new/c.txt", listed[2].source);
    EXPECT_TRUE(listed[2].copies[0].parked);
    const DateTime between = (listed[0].copies[0].modified + listed[0].copies[1].modified) / 2;
    std::vector<RestoreItem> items = PlanPointInTime(listed, between, watched, std::nullopt);
    ASSERT_EQ(2u, items.size());

    std::vector<std::size_t> progress;
    const RestoreResult result = RunRestore(monitor, items, files, counter, [&](std::size_t done, std::size_t total) {
        progress.push_back(done);
        return total == 2;
    });
    EXPECT_EQ(2u, result.restored);
    EXPECT_EQ((std::vector<std::size_t>{0, 1}), progress);
    EXPECT_EQ("a old", ReadFile(watched + "/a.txt"));
    EXPECT_EQ("b old", ReadFile(watched + "/sub/b.txt"));
    EXPECT_EQ("late", ReadFile(watched + "/late.txt"));
    EXPECT_EQ("a new", ReadFile(backup + "/a.3.txt"));
    EXPECT_EQ("b edited since", ReadFile(backup + "/sub/b.3.txt"));

    // A cancel before the first file leaves every file as it was.
    WriteFile(watched + "/a.txt", "a edited again");
    const RestoreResult cancelled = RunRestore(monitor, items, files, counter, [](std::size_t, std::size_t) { return false; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(0u, cancelled.restored);
    EXPECT_EQ(RestoreOutcome::NotDone, cancelled.files[1].outcome);
    EXPECT_EQ("a edited again", ReadFile(watched + "/a.txt"));
}

TEST_F(RestoreTest, ToAnotherFolderTheTreeIsRebuiltThereAndWithoutVersionsAFileInTheWayIsKeptBeside) {
    monitor.hasversions = false;
    monitor.maxversions = 0;
    Kept(backup + "/notes.txt", "kept notes", 5);
    Kept(backup + "/deep/er/list.txt", "kept list", 5);
    WriteFile(watched + "/notes.txt", "notes now");
    const std::string elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    WriteFile(elsewhere + "/notes.txt", "in the way");

    const std::vector<FileHistory> listed = ListBackup(monitor, watched + "/", temp);
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ(0, listed[0].copies[0].number);
    std::vector<RestoreItem> items;
    for (const FileHistory& file : listed) items.push_back(*PlanVersion(file, 0, watched + "/", elsewhere));
    DateTimeFields when{2026, 12, 9, 14, 5, 0, 0};
    const RestoreResult result = RunRestore(monitor, items, files, counter, nullptr, EncodeDateTime(when));
    EXPECT_EQ(2u, result.restored);
    EXPECT_EQ("kept list", ReadFile(elsewhere + "/deep/er/list.txt"));
    EXPECT_EQ("kept notes", ReadFile(elsewhere + "/notes.txt"));
    EXPECT_EQ("in the way", ReadFile(elsewhere + "/notes (before restore 2026-12-09 14.05).txt"));
    EXPECT_EQ("notes now", ReadFile(watched + "/notes.txt"));
    EXPECT_TRUE(counter.counters.empty());

    // A second restore at the same minute finds that name taken and keeps the file under another.
    WriteFile(elsewhere + "/notes.txt", "in the way again");
    RunRestore(monitor, {items[1]}, files, counter, nullptr, EncodeDateTime(when));
    EXPECT_EQ("in the way", ReadFile(elsewhere + "/notes (before restore 2026-12-09 14.05).txt"));
    EXPECT_EQ("in the way again", ReadFile(elsewhere + "/notes (before restore 2026-12-09 14.05 2).txt"));
}

// A kept copy that went between the plan and the restore fails on its own, at the commit of the
// copies made beside it on other threads; the rest are restored.
TEST_F(RestoreTest, AKeptCopyGoneSinceThePlanFailsAloneAndTheOthersAreRestored) {
    for (const char* name : {"a/1.txt", "a/2.txt", "b/3.txt", "b/4.txt", "c/5.txt", "c/6.txt"})
        Kept(backup + "/" + name, std::string("kept ") + name, 5);
    std::vector<RestoreItem> items;
    for (const FileHistory& file : ListBackup(monitor, watched + "/", temp))
        items.push_back(*PlanVersion(file, 0, watched + "/", watched + "/"));
    ASSERT_EQ(6u, items.size());
    fs::remove(backup + "/b/3.txt");

    const RestoreResult result = RunRestore(monitor, items, files, counter);
    EXPECT_EQ(5u, result.restored);
    for (const RestoredFile& file : result.files) {
        if (file.target == watched + "/b/3.txt") {
            EXPECT_EQ(RestoreOutcome::Failed, file.outcome);
            EXPECT_NE(std::string::npos, file.problem.find("could not be written there")) << file.problem;
            EXPECT_FALSE(fs::exists(file.target));
        } else {
            EXPECT_EQ(RestoreOutcome::Restored, file.outcome) << file.target;
            EXPECT_EQ("kept " + file.target.substr(watched.size() + 1), ReadFile(file.target));
        }
    }
    EXPECT_EQ(1u, static_cast<std::size_t>(std::distance(fs::directory_iterator(watched + "/b"), {})))
        << "only 4.txt and no temporary";
}

}  // namespace
}  // namespace pellmar
