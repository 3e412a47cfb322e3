// The snapshot engine's own behaviour: the snapshot's comparison, silent first scans, the level
// rule and the watcher cap, deletions while versions are kept, messages of a stopped notifier,
// the timer as the only signal (a blind file system), the engine settings and the factory's pick.
#include "platform/FolderSignal.h"
#include "platform/PlainDispatcher.h"
#include "tests/monitor/ScopedEngineSettings.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tray/monitor/EngineSettings.h"
#include "tray/monitor/NTFolderScanner.h"
#include "tray/monitor/PerRootFolderScanner.h"
#include "tray/monitor/Win9XFolderScanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::Native;
using test::WriteFile;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using namespace std::chrono_literals;
using Job = std::pair<std::int32_t, std::string>;

TEST(FileSnapshotTest, ComparesTheWhole64BitSizeAndTheWriteTimeOnly) {
    FileSnapshot snapshot;
    ChangeMessage message;
    EXPECT_EQ(snapshot.Compare("/d/a", 1, 100, &message), SnapshotChange::Added);
    EXPECT_EQ(snapshot.Compare("/d/a", 1, 100, &message), SnapshotChange::None);
    EXPECT_EQ(snapshot.Compare("/d/a", 1 + (std::uint64_t{1} << 32), 100, &message), SnapshotChange::Modified);
    EXPECT_EQ(message.oldSize, 1u);
    EXPECT_EQ(snapshot.Compare("/d/a", 1 + (std::uint64_t{1} << 32), 101, &message), SnapshotChange::Modified);
    EXPECT_EQ(message.oldModifiedNanoseconds, 100);
    EXPECT_EQ(snapshot.Compare("/d/A", 1, 100, &message), SnapshotChange::Added);  // letter case counts
    EXPECT_EQ(FileSnapshot::KeyOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    const auto removed = snapshot.RemoveIf([](const SnapshotEntry& entry) { return entry.path == "/d/a"; });
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].oldModifiedNanoseconds, 101);
    EXPECT_FALSE(snapshot.Contains("/d/a"));
    EXPECT_TRUE(snapshot.Contains("/d/A"));
}

TEST(EngineSettingsTest, UnknownOrOutOfRangeValuesKeepTheDefaults) {
    EXPECT_EQ(ParseEngineSettings("", "").choice, EngineChoice::Automatic);
    EXPECT_EQ(ParseEngineSettings("Snapshot", "").choice, EngineChoice::Snapshot);
    EXPECT_EQ(ParseEngineSettings("RESCAN", "").choice, EngineChoice::Rescan);
    EXPECT_EQ(ParseEngineSettings("notification", "").choice, EngineChoice::Notification);
    EXPECT_EQ(ParseEngineSettings("inotify", "").choice, EngineChoice::Automatic);
    EXPECT_EQ(ParseEngineSettings("", "2.5").rescanInterval, 2500ms);
    EXPECT_EQ(ParseEngineSettings("", "0").rescanInterval, 30000ms);
    EXPECT_EQ(ParseEngineSettings("", "ten").rescanInterval, 30000ms);
    EXPECT_EQ(ParseEngineSettings("", "5s").rescanInterval, 30000ms);
}

class SnapshotScannerTest : public ::testing::Test {
protected:
    explicit SnapshotScannerTest(KolChangeNotifier::Options options = {}) : scanner(context, dispatcher, options) {
        scanner.SetRoot(root.Path());
        scanner.SetSubfolders(true);
        scanner.SetDeletions(true);
        scanner.GetFilters() = {"*"};
        scanner.SetOnChange([this](FolderScanner&, std::unique_ptr<ChangeEvent> event) {
            jobs.emplace_back(event->jobtype, event->src);
        });
    }
    void StartSettled() {
        scanner.Start();
        ASSERT_TRUE(dispatcher.RunUntil([&] { return scanner.Notifier().Settled(); }, 30s));
    }
    // Paths as the test writes them, with "/"; the engines report them in the platform's form.
    bool WaitForJob(Job job) {
        job.second = Native(job.second);
        return dispatcher.RunUntil([&] { return std::find(jobs.begin(), jobs.end(), job) != jobs.end(); }, 30s);
    }

    TempFolder root;
    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
    Win9XFolderScanner scanner;
    std::vector<Job> jobs;
};

TEST_F(SnapshotScannerTest, FirstScansRecordSilentlyAndLaterEditsAreReported) {
    fs::create_directories(root / "a/b");
    WriteFile(root / "top.txt", "1");
    WriteFile(root / "a/b/deep.txt", "1");
    StartSettled();
    dispatcher.RunPending();
    EXPECT_THAT(jobs, IsEmpty());
    EXPECT_TRUE(scanner.Notifier().Remembers(Native(root / "a/b/deep.txt")));
    std::ofstream(root / "a/b/deep.txt", std::ios::app) << "22";
    ASSERT_TRUE(WaitForJob({ChangeModified, root / "a/b/deep.txt"}));
    EXPECT_EQ(jobs.size(), 1u);
}

TEST_F(SnapshotScannerTest, OnlyTheRootAndItsDirectSubFoldersGetWatchersDeeperOnesAreScannedInline) {
    fs::create_directories(root / "a/b/c");
    fs::create_directory(root / "x");
    StartSettled();
    EXPECT_THAT(scanner.Notifier().WatchedFolders(),
                UnorderedElementsAre(root.Path(), Native(root / "a"), Native(root / "x")));
    WriteFile(root / "a/b/c/new.txt", "n");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "a/b/c/new.txt"}));
    // A folder made later two levels down belongs to the watcher above it: its files are new.
    fs::create_directories(root / "a/b/late");
    WriteFile(root / "a/b/late/file.txt", "n");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "a/b/late/file.txt"}));
    EXPECT_EQ(scanner.Notifier().WatchedFolders().size(), 3u);
}

TEST_F(SnapshotScannerTest, PastTheWatcherCapTheRootScansTheRestInline) {
    for (const char* name : {"s1", "s2", "s3", "s4"}) fs::create_directory(root / name);
    scanner.Notifier().SetMaxWatchers(2);
    StartSettled();
    const std::vector<std::string> watched = scanner.Notifier().WatchedFolders();
    ASSERT_EQ(watched.size(), 3u);  // the cap is passed by one, as the list is checked before adding
    std::string inlineFolder;
    for (const char* name : {"s1", "s2", "s3", "s4"})
        if (std::find(watched.begin(), watched.end(), Native(root / name)) == watched.end()) inlineFolder = root / name;
    WriteFile(inlineFolder + "/f.txt", "x");
    ASSERT_TRUE(WaitForJob({ChangeCreated, inlineFolder + "/f.txt"}));
}

TEST_F(SnapshotScannerTest, ADeletionIsNotReportedWhileVersionsAreKept) {
    WriteFile(root / "kept.txt", "v1");
    scanner.SetHasVersions(true);
    StartSettled();
    fs::remove(root / "kept.txt");
    // The deletion checker posts before it forgets the file, so what it posted is queued by now.
    ASSERT_TRUE(dispatcher.RunUntil([&] { return !scanner.Notifier().Remembers(Native(root / "kept.txt")); }, 30s));
    dispatcher.RunPending();
    EXPECT_THAT(jobs, IsEmpty());
}

TEST_F(SnapshotScannerTest, MessagesQueuedWhenStopReturnsAreDiscarded) {
    StartSettled();
    WriteFile(root / "late.txt", "x");
    ASSERT_TRUE(test::WaitUntil([&] { return scanner.Notifier().Remembers(Native(root / "late.txt")); }));
    scanner.Stop();
    EXPECT_GE(dispatcher.PendingCount(), 1u);
    dispatcher.RunPending();
    EXPECT_THAT(jobs, IsEmpty());
}

TEST_F(SnapshotScannerTest, AMissingFolderFailsStartWithTheNotifiersMessage) {
    scanner.SetRoot(root / "missing");
    try {
        scanner.Start();
        FAIL() << "Start succeeded";
    } catch (const ScannerStartError& error) {
        EXPECT_STREQ(error.what(), "The scanning directory does not exists");
    }
    EXPECT_FALSE(scanner.Notifier().Active());
}

class SettingsFactoryTest : public ::testing::Test {
protected:
    void Configure(const std::string& engine, const std::string& rescanSeconds = "") {
        settings.Write(engine, rescanSeconds);
        RegisterNTFolderScanner(dispatcher);
        RegisterWin9XFolderScanner(dispatcher);
    }
    ~SettingsFactoryTest() override {
        RegisterScannerVariant(ScannerVariant::DetailedRecords, nullptr);
        RegisterScannerVariant(ScannerVariant::ChangeSignals, nullptr);
    }
    test::ScopedEngineSettings settings;
    TempFolder root;
    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
};

// What a blind file system gets: the timer is the only signal, no change notification at all.
TEST_F(SettingsFactoryTest, TheRescanSettingFindsChangesByTheTimerAlone) {
    Configure("rescan", "0.05");
    std::vector<Job> jobs;  // outlives the scanner, which may still report while it stops
    std::unique_ptr<FolderScanner> scanner = CreateScanner(context);
    auto* snapshot = dynamic_cast<Win9XFolderScanner*>(scanner.get());
    ASSERT_NE(snapshot, nullptr);
    scanner->SetOnChange([&](FolderScanner&, std::unique_ptr<ChangeEvent> event) { jobs.emplace_back(event->jobtype, event->src); });
    scanner->SetRoot(root.Path());
    scanner->GetFilters() = {"*"};
    scanner->Start();
    ASSERT_TRUE(dispatcher.RunUntil([&] { return snapshot->Notifier().Settled(); }, 30s));
    WriteFile(root / "a.txt", "x");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return jobs.size() == 1; }, 30s));
    fs::remove(root / "a.txt");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return jobs.size() == 2; }, 30s));
    EXPECT_EQ(jobs[0], (Job{ChangeCreated, Native(root / "a.txt")}));
    EXPECT_EQ(jobs[1], (Job{ChangeDeleted, Native(root / "a.txt")}));
}

TEST_F(SettingsFactoryTest, AutomaticPicksByTheFoldersFileSystemAtStart) {
    Configure("auto");
    std::vector<Job> jobs;  // outlives the scanner, which may still report while it stops
    std::unique_ptr<FolderScanner> scanner = CreateScanner(context);
    auto* perRoot = dynamic_cast<PerRootFolderScanner*>(scanner.get());
    ASSERT_NE(perRoot, nullptr);
    EXPECT_TRUE(scanner->GetDeletions());
    EXPECT_TRUE(scanner->GetSubfolders());
    scanner->SetOnChange([&](FolderScanner& from, std::unique_ptr<ChangeEvent> event) {
        EXPECT_EQ(&from, scanner.get());
        jobs.emplace_back(event->jobtype, event->src);
    });
    scanner->SetRoot(root.Path());
    scanner->GetFilters() = {"*.txt"};
    scanner->GetExceptions() = {"skip*"};
    scanner->Start();
    EXPECT_EQ(perRoot->EngineVariant(), platform::IsChangeBlindFileSystem(root.Path())
                                            ? ScannerVariant::ChangeSignals
                                            : ScannerVariant::DetailedRecords);
    if (perRoot->EngineVariant() == ScannerVariant::ChangeSignals) GTEST_SKIP() << "temporary folder on a blind file system";
    WriteFile(root / "skip.txt", "x");
    WriteFile(root / "a.txt", "x");
    ASSERT_TRUE(dispatcher.RunUntil([&] { return !jobs.empty() && jobs.back().second == Native(root / "a.txt"); }, 30s));
    EXPECT_EQ(jobs.front(), (Job{ChangeCreated, Native(root / "a.txt")}));
    Configure("Notification");
    EXPECT_NE(dynamic_cast<NTFolderScanner*>(CreateScanner(context).get()), nullptr);
}

}  // namespace
}  // namespace pellmar
