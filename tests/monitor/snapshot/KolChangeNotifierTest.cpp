// The snapshot engine's own behaviour: the snapshot's comparison and settling, silent first
// scans, the level rule and the watcher cap, deletions while versions are kept, the hand-over of
// a stopped notifier, watches of folders that leave the tree, a crypto library without MD5,
// the timer as the only signal (a blind file system), the engine settings and the factory's pick.
#include "platform/FolderSignal.h"
#include "platform/PlainDispatcher.h"
#include "tests/monitor/ScopedEngineSettings.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tray/monitor/EngineSettings.h"
#include "tray/monitor/ScannerFactory.h"
#include "tray/monitor/PerRootFolderScanner.h"
#include "tray/monitor/notification/NTFolderScanner.h"
#include "tray/monitor/snapshot/Win9XFolderScanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <system_error>

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

TEST(FileSnapshotTest, ComparesTheWhole64BitSizeTheWriteTimeAndTheModeOnly) {
    if (!test::PosixNames()) GTEST_SKIP() << "its paths are joined with the POSIX delimiter";
    FileSnapshot snapshot;
    ChangeMessage message;
    const auto now = FileSnapshot::Clock::now();
    const auto compare = [&](const std::string& name, FileFacts facts) {
        return snapshot.Compare("/d", name, facts, now, false, &message).change;
    };
    EXPECT_EQ(compare("a", {1, 100, 0644}), SnapshotChange::Added);
    EXPECT_EQ(message.path, Native("/d/a"));
    EXPECT_EQ(compare("a", {1, 100, 0644}), SnapshotChange::None);
    EXPECT_EQ(compare("a", {1 + (std::uint64_t{1} << 32), 100, 0644}), SnapshotChange::Modified);
    EXPECT_EQ(message.oldSize, 1u);
    EXPECT_EQ(compare("a", {1 + (std::uint64_t{1} << 32), 101, 0644}), SnapshotChange::Modified);
    EXPECT_EQ(message.oldModifiedNanoseconds, 100);
    EXPECT_EQ(compare("a", {1 + (std::uint64_t{1} << 32), 101, 0755}), SnapshotChange::Modified);
    EXPECT_EQ(message.oldMode, 0644u);
    EXPECT_EQ(compare("A", {1, 100, 0644}), SnapshotChange::Added);  // letter case counts
    EXPECT_EQ(snapshot.Compare("/d", "s", {1, 1, 0}, now, true, &message).change, SnapshotChange::None);  // silent
    ASSERT_TRUE(snapshot.Forget("/d", "a", &message));
    EXPECT_EQ(message.oldModifiedNanoseconds, 101);
    EXPECT_FALSE(snapshot.Contains(Native("/d/a")));
    EXPECT_TRUE(snapshot.Contains(Native("/d/A")));
    EXPECT_TRUE(snapshot.Contains(Native("/d/s")));
    EXPECT_EQ(snapshot.Size(), 2u);
}

TEST(FileSnapshotTest, AChangeIsHandedOnOnceItsFactsHaveSettled) {
    FileSnapshot snapshot(2s, 60s);
    ChangeMessage message;
    const auto t0 = FileSnapshot::Clock::now();
    Observation seen = snapshot.Compare("/d", "a", {1, 1, 0}, t0, false, &message);
    EXPECT_EQ(seen.change, SnapshotChange::None);
    EXPECT_TRUE(seen.settling);
    // Still being written: the settle time begins again.
    EXPECT_TRUE(snapshot.Compare("/d", "a", {2, 2, 0}, t0 + 1500ms, false, &message).settling);
    EXPECT_TRUE(snapshot.Compare("/d", "a", {2, 2, 0}, t0 + 3000ms, false, &message).settling);
    seen = snapshot.Compare("/d", "a", {2, 2, 0}, t0 + 3500ms, false, &message);
    EXPECT_EQ(seen.change, SnapshotChange::Added);
    EXPECT_FALSE(seen.settling);
    EXPECT_EQ(message.size, 2u);
    // A file that never stops changing is handed on at the hold limit all the same.
    FileSnapshot busy(2s, 5s);
    for (int second = 0; second < 5; ++second)
        EXPECT_EQ(busy.Compare("/d", "log", {std::uint64_t(second), second, 0}, t0 + std::chrono::seconds(second), false,
                               &message).change, SnapshotChange::None);
    EXPECT_EQ(busy.Compare("/d", "log", {5, 5, 0}, t0 + 5s, false, &message).change, SnapshotChange::Added);
    // What is still settling at Stop is handed on then; a creation never handed on is no deletion.
    FileSnapshot stopping(2s);
    stopping.Compare("/d", "new", {1, 1, 0}, t0, false, &message);
    stopping.Compare("/d", "old", {1, 1, 0}, t0, true, &message);
    stopping.Compare("/d", "old", {2, 2, 0}, t0, false, &message);
    std::vector<SnapshotChange> kinds;
    const std::vector<ChangeMessage> settling = stopping.TakeSettling(&kinds);
    ASSERT_EQ(settling.size(), 2u);
    EXPECT_THAT(kinds, UnorderedElementsAre(SnapshotChange::Added, SnapshotChange::Modified));
    stopping.Compare("/d", "brief", {1, 1, 0}, t0, false, &message);
    EXPECT_FALSE(stopping.Forget("/d", "brief", &message));
    EXPECT_TRUE(stopping.Forget("/d", "old", &message));
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

TEST_F(SnapshotScannerTest, AHandOverQueuedWhenStopReturnsDeliversNothingMore) {
    StartSettled();
    WriteFile(root / "late.txt", "x");
    ASSERT_TRUE(test::WaitUntil([&] { return scanner.Notifier().Remembers(Native(root / "late.txt")); }));
    scanner.Stop();
    EXPECT_THAT(jobs, UnorderedElementsAre(Job{ChangeCreated, Native(root / "late.txt")}));
    dispatcher.RunPending();
    EXPECT_EQ(jobs.size(), 1u);
}

// The inotify watches this process holds, from /proc; -1 where there is no such record (Windows).
int InotifyWatchCount() {
    std::error_code error;
    if (!fs::exists("/proc/self/fdinfo", error)) return -1;
    int count = 0;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd", error)) {
        if (fs::read_symlink(fd.path(), error).string() != "anon_inode:inotify") continue;
        std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
        for (std::string line; std::getline(info, line);) count += line.rfind("inotify wd:", 0) == 0 ? 1 : 0;
    }
    return count;
}

// Folders moved out of the tree take their watches with them; renames add nothing.
TEST_F(SnapshotScannerTest, WatchesOfFoldersThatLeaveTheTreeGoAndRenamesAddNone) {
    if (!test::PosixNames()) GTEST_SKIP() << "counts the process's inotify watches, which only Linux has";
    if (InotifyWatchCount() < 0) GTEST_SKIP() << "no record of inotify watches here";
    TempFolder trash;
    fs::create_directories(root / "keep/x");
    for (int i = 0; i < 20; ++i) fs::create_directories(root / ("away/s" + std::to_string(i) + "/t"));
    StartSettled();
    const int before = InotifyWatchCount();
    fs::rename(root / "away", trash / "away");
    ASSERT_TRUE(test::WaitUntil([&] { return InotifyWatchCount() == before - 41; })) << InotifyWatchCount();
    for (int i = 0; i < 50; ++i) {
        fs::rename(root / "keep/x", root / "keep/y");
        fs::rename(root / "keep/y", root / "keep/x");
    }
    WriteFile(root / "keep/x/marker.txt", "m");
    ASSERT_TRUE(WaitForJob({ChangeCreated, root / "keep/x/marker.txt"}));
    EXPECT_EQ(InotifyWatchCount(), before - 41);
    EXPECT_EQ(scanner.Notifier().WatchedFolders().size(), 2u);  // the root and keep
}

// The snapshot needs no digest, so a crypto library that refuses MD5 (a FIPS-style
// configuration) changes nothing. Runs in a fresh copy of the test program: OpenSSL reads its
// configuration once, at first use.
void WatchUnderFipsOnlyConfiguration(const std::string& configuration, const std::string& folder) {
    test::ScopedEnvironment environment;
    environment.Set("OPENSSL_CONF", configuration);
    platform::PlainDispatcher dispatcher;
    KolChangeNotifier notifier(dispatcher);
    notifier.SetPath(folder);
    notifier.Masks() = {"*"};
    bool added = false;
    notifier.SetOnAdded([&](KolChangeNotifier&, const ChangeMessage&) { added = true; });
    notifier.Start();
    dispatcher.RunUntil([&] { return notifier.Settled(); }, 30s);
    WriteFile(folder + "/new.txt", "x");
    std::_Exit(dispatcher.RunUntil([&] { return added; }, 30s) ? 0 : 1);
}

TEST(SnapshotWithoutMd5Test, ACryptoLibraryRefusingMd5StopsNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder dir;
    TempFolder watched;
    WriteFile(dir / "fips-only.cnf",
              "openssl_conf = init\n[init]\nalg_section = algorithms\n"
              "[algorithms]\ndefault_properties = fips=yes\n");
    EXPECT_EXIT(WatchUnderFipsOnlyConfiguration(dir / "fips-only.cnf", watched.Path()), ::testing::ExitedWithCode(0), "");
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
    }
    std::unique_ptr<FolderScanner> Create() {
        return CreateScanner(context, {NTFolderScannerCreator(dispatcher), Win9XFolderScannerCreator(dispatcher)});
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
    std::unique_ptr<FolderScanner> scanner = Create();
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
    std::unique_ptr<FolderScanner> scanner = Create();
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
    EXPECT_NE(dynamic_cast<NTFolderScanner*>(Create().get()), nullptr);
}

}  // namespace
}  // namespace pellmar
