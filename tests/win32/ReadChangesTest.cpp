// The ReadDirectoryChangesW engine against real folders: records with names relative to the
// watched folder, sub-folders only with the subtree flag, no records for folders themselves,
// renames as old and new name, names outside ASCII, and a wake that ends any wait.
#include "platform/DirectoryWatch.h"
#include "tests/support/TempFolder.h"
#include "tests/win32/WideFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace pellmar::platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::WriteFile;

// Collects records until one with `action` and `name` arrives or a generous deadline passes.
bool CollectUntil(DirectoryWatch& watch, std::vector<DirectoryChange>& all, std::uint32_t action,
                  const std::string& name) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    for (;;) {
        for (const auto& change : all) {
            if (change.action == action && change.name == name) return true;
        }
        if (watch.Wait(&all, deadline) != WaitOutcome::Changes) return false;
    }
}

bool Contains(const std::vector<DirectoryChange>& all, const std::string& name) {
    for (const auto& change : all) {
        if (change.name == name) return true;
    }
    return false;
}

TEST(ReadChangesWatch, SubtreeRecordsAreRelativeAndFoldersNeverAppear) {
    test::TempFolder folder;
    fs::create_directory(fs::path(folder / "sub"));
    auto watch = DirectoryWatch::Open(folder.Path(), true, nullptr);
    ASSERT_TRUE(watch);
    std::vector<DirectoryChange> all;
    fs::create_directory(fs::path(folder / "newfolder"));
    WriteFile(folder / "sub/a.txt", "a");
    fs::rename(fs::path(folder / "sub/a.txt"), fs::path(folder / "sub/b.txt"));
    const std::string odd = "\xC3\xA9t\xC3\xA9.txt";
    ASSERT_TRUE(test::WriteWideNamed(folder / odd, "x"));
    DeleteFileW(platform::win32::Widen(folder / odd).c_str());
    ASSERT_TRUE(CollectUntil(*watch, all, FileActionRemoved, odd));
    EXPECT_FALSE(Contains(all, "newfolder"));
    if (test::RunningUnderWine()) GTEST_SKIP() << "this Wine reports no changes below the watched folder itself";
    EXPECT_TRUE(CollectUntil(*watch, all, FileActionAdded, "sub\\a.txt"));
    EXPECT_TRUE(CollectUntil(*watch, all, FileActionRenamedOld, "sub\\a.txt"));
    EXPECT_TRUE(CollectUntil(*watch, all, FileActionRenamedNew, "sub\\b.txt"));
    EXPECT_FALSE(Contains(all, "newfolder"));
    EXPECT_FALSE(Contains(all, "sub"));
}

TEST(ReadChangesWatch, WithoutSubtreeOnlyTheFolderItselfIsReported) {
    test::TempFolder folder;
    fs::create_directory(fs::path(folder / "sub"));
    auto watch = DirectoryWatch::Open(folder.Path(), false, nullptr);
    ASSERT_TRUE(watch);
    std::vector<DirectoryChange> all;
    WriteFile(folder / "sub/hidden.txt", "not reported");
    WriteFile(folder / "top.txt", "reported");
    ASSERT_TRUE(CollectUntil(*watch, all, FileActionAdded, "top.txt"));
    EXPECT_FALSE(Contains(all, "sub\\hidden.txt"));
}

// What a stopping owner still takes: changes already queued arrive without a Wait. A lost-changes
// read gives one record without action and name, and the next read reports normally again.
TEST(ReadChangesWatch, PendingChangesAreTakenWithoutWaitingAndLostChangesSaySo) {
    test::TempFolder folder;
    auto watch = DirectoryWatch::Open(folder.Path(), false, nullptr);
    ASSERT_TRUE(watch);
    std::vector<DirectoryChange> pending;
    WriteFile(folder / "queued.txt", "q");
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!Contains(pending, "queued.txt") && Clock::now() < deadline) {
        watch->ReadPending(&pending);
        std::this_thread::yield();
    }
    EXPECT_TRUE(Contains(pending, "queued.txt"));

    SimulateLostChangesForTesting();
    std::vector<DirectoryChange> lost;
    WriteFile(folder / "lost.txt", "l");
    ASSERT_EQ(watch->Wait(&lost, Clock::now() + std::chrono::seconds(30)), WaitOutcome::Changes);
    ASSERT_FALSE(lost.empty());
    EXPECT_EQ(lost[0].action, FileActionNone);
    EXPECT_EQ(lost[0].name, "");
    std::vector<DirectoryChange> after;
    WriteFile(folder / "after.txt", "a");
    EXPECT_TRUE(CollectUntil(*watch, after, FileActionAdded, "after.txt"));
}

TEST(ReadChangesWatch, AWakeEndsEveryWaitAndAMissingFolderFailsToOpen) {
    test::TempFolder folder;
    WatchFailure failure = WatchFailure::None;
    EXPECT_FALSE(DirectoryWatch::Open(folder / "missing", true, &failure));
    EXPECT_EQ(failure, WatchFailure::FolderMissing);

    auto watch = DirectoryWatch::Open(folder.Path(), false, &failure);
    ASSERT_TRUE(watch);
    std::vector<DirectoryChange> all;
    EXPECT_EQ(watch->Wait(&all, Clock::now() + std::chrono::milliseconds(5)), WaitOutcome::TimedOut);
    WriteFile(folder / "a.txt", "a");
    watch->Wake();
    EXPECT_EQ(watch->Wait(&all, std::nullopt), WaitOutcome::Woken);
    EXPECT_EQ(watch->Wait(&all, std::nullopt), WaitOutcome::Woken);
}

}  // namespace
}  // namespace pellmar::platform
