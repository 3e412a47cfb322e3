// One behaviour suite run against both change engines where they agree: created, modified and
// deleted files, sub-folders off, masks and exceptions, backup folders inside the watched tree.
// Each case forces its engine through the settings store, as a user would.
#include "platform/PlainDispatcher.h"
#include "tests/monitor/ScopedEngineSettings.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/Wine.h"
#include "tray/monitor/NTFolderScanner.h"
#include "tray/monitor/Win9XFolderScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::Native;
using test::WriteFile;
using namespace std::chrono_literals;
using Job = std::pair<std::int32_t, std::string>;  // jobtype, src

void AppendTo(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

class ChangeEngineSuite : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        settings.Write(GetParam(), "");
        RegisterNTFolderScanner(dispatcher);
        RegisterWin9XFolderScanner(dispatcher);
        scanner = CreateScanner(context);
        scanner->SetRoot(root.Path());
        scanner->GetFilters() = {"*"};
        scanner->SetBackupPath(backups.Path());
        scanner->SetOnChange([this](FolderScanner&, std::unique_ptr<ChangeEvent> event) {
            jobs.emplace_back(event->jobtype, event->src);
        });
    }
    void TearDown() override {
        scanner.reset();
        RegisterScannerVariant(ScannerVariant::DetailedRecords, nullptr);
        RegisterScannerVariant(ScannerVariant::ChangeSignals, nullptr);
    }
    // The snapshot engine records silently what its first scans find; changes count after them.
    void StartWatching() {
        scanner->Start();
        if (auto* snapshot = dynamic_cast<Win9XFolderScanner*>(scanner.get())) {
            ASSERT_TRUE(dispatcher.RunUntil([&] { return snapshot->Notifier().Settled(); }, 30s));
        }
    }
    // Paths as the test writes them, with "/"; the engines report them in the platform's form.
    bool WaitForJob(Job job) {
        job.second = Native(job.second);
        return dispatcher.RunUntil([&] { return std::find(jobs.begin(), jobs.end(), job) != jobs.end(); }, 30s);
    }
    // Wine reports a subtree watch's changes only for the watched folder itself, which leaves the
    // notification engine deaf below its root; the snapshot engine watches each sub-folder too.
    bool SubFolderChangesUnheard() const { return std::string(GetParam()) == "notification" && test::RunningUnderWine(); }
    bool Seen(const std::string& path) const {
        return std::any_of(jobs.begin(), jobs.end(), [&](const Job& job) { return job.second == Native(path); });
    }

    test::ScopedEngineSettings settings;
    TempFolder root;
    TempFolder backups;
    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
    std::unique_ptr<FolderScanner> scanner;
    std::vector<Job> jobs;
};

TEST_P(ChangeEngineSuite, TheForcedEngineReportsCreatedModifiedAndDeletedFiles) {
    const bool snapshot = std::string(GetParam()) == "snapshot";
    EXPECT_EQ(dynamic_cast<Win9XFolderScanner*>(scanner.get()) != nullptr, snapshot);
    EXPECT_EQ(dynamic_cast<NTFolderScanner*>(scanner.get()) != nullptr, !snapshot);
    if (SubFolderChangesUnheard()) GTEST_SKIP() << "Wine does not report changes below a watched folder";
    fs::create_directory(root / "sub");
    WriteFile(root / "sub/old.txt", "old");
    StartWatching();
    WriteFile(root / "new.txt", "new");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "new.txt"}));
    AppendTo(root / "sub/old.txt", " and more");
    ASSERT_TRUE(WaitForJob({ChangeModified, root / "sub/old.txt"}));
    fs::remove(root / "sub/old.txt");
    ASSERT_TRUE(WaitForJob({ChangeDeleted, root / "sub/old.txt"}));
    EXPECT_FALSE(Seen(root / "sub"));  // folders are never reported as files
}

TEST_P(ChangeEngineSuite, WithSubFoldersOffOnlyTheRootsFilesAreReported) {
    fs::create_directory(root / "sub");
    scanner->SetSubfolders(false);
    StartWatching();
    WriteFile(root / "sub/below.txt", "x");
    WriteFile(root / "top.txt", "x");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "top.txt"}));
    EXPECT_FALSE(Seen(root / "sub/below.txt"));
}

TEST_P(ChangeEngineSuite, MasksAndExceptionsChooseTheFiles) {
    scanner->GetFilters() = {"*.txt", "*.doc"};
    scanner->GetExceptions() = {"~*"};
    StartWatching();
    WriteFile(root / "picture.bin", "x");
    WriteFile(root / "~lock.txt", "x");
    WriteFile(root / "Letter.DOC", "x");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "Letter.DOC"}));
    EXPECT_FALSE(Seen(root / "picture.bin"));
    EXPECT_FALSE(Seen(root / "~lock.txt"));
}

TEST_P(ChangeEngineSuite, CopiesWrittenIntoABackupFolderInsideTheTreeAreNotReported) {
    fs::create_directories(root / "sub/backup");
    if (SubFolderChangesUnheard()) GTEST_SKIP() << "Wine does not report changes below a watched folder";
    scanner->SetBackupPath(Native(root / "sub/backup"));
    context.MutableBackupFolders() = {Native(root / "sub/backup")};  // the session lists every monitor's
    StartWatching();
    WriteFile(root / "sub/backup/copy.txt", "x");
    WriteFile(root / "sub/marker.txt", "x");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "sub/marker.txt"}));
    EXPECT_FALSE(Seen(root / "sub/backup/copy.txt"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ChangeEngineSuite, ::testing::Values("notification", "snapshot"));

}  // namespace
}  // namespace pellmar
