// NTFolderScanner: the action table, masks on the file-name part and full paths, driven directly;
// then the whole road from a real file change to a ChangeEvent, and CreateScanner.
#include "tray/monitor/notification/NTFolderScanner.h"
#include "tray/monitor/ScannerFactory.h"

#include "platform/PlainDispatcher.h"
#include "tests/support/NativePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace pellmar {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;
using Job = std::pair<std::int32_t, std::string>;  // jobtype, src

class NTFolderScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        scanner.SetBackupPath("/backups/one");
        scanner.SetDeletions(true);
        scanner.SetSubfolders(true);
        scanner.SetOnChange([this](FolderScanner&, std::unique_ptr<ChangeEvent> event) {
            jobs.emplace_back(event->jobtype, event->src);
            dests.push_back(event->dest);
        });
    }
    bool WaitForJob(const Job& job) {
        return dispatcher.RunUntil([&] { return std::find(jobs.begin(), jobs.end(), job) != jobs.end(); }, 30s);
    }

    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
    NTFolderScanner scanner{context, dispatcher};
    std::vector<Job> jobs;
    std::vector<std::string> dests;
};

TEST_F(NTFolderScannerTest, EachActionBecomesItsKindOfChange) {
    scanner.SetRoot(test::Native("/data"));
    scanner.GetFilters() = {"*"};
    scanner.HandleChange(DirAdded, "a");
    scanner.HandleChange(DirRemoved, "b");
    scanner.HandleChange(DirModified, "c");
    scanner.HandleChange(DirRenamedOld, "d");
    scanner.HandleChange(DirRenamedNew, "e");
    scanner.HandleChange(static_cast<DirAction>(17), "f");
    using test::Native;
    EXPECT_THAT(jobs, ElementsAre(Job{ChangeCreated, Native("/data/a")}, Job{ChangeDeleted, Native("/data/b")},
                                  Job{ChangeModified, Native("/data/c")}, Job{ChangeDeleted, Native("/data/d")},
                                  Job{ChangeCreated, Native("/data/e")}, Job{ChangeCreated, Native("/data/f")}));
}

TEST_F(NTFolderScannerTest, MasksSeeOnlyTheFileNameAndPathsAreJoinedWhole) {
    using test::Native;
    scanner.SetBackupPath(Native("/backups/one"));
    scanner.SetRoot(Native("/data/"));  // a trailing delimiter is not doubled
    scanner.GetFilters() = {"*.doc"};
    scanner.HandleChange(DirModified, Native("letters.doc/note.txt"));
    scanner.HandleChange(DirModified, Native("x/y/Report.DOC"));
    const std::string longName(300, 'n');
    scanner.HandleChange(DirAdded, Native("deep/" + longName + ".doc"));
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0], (Job{ChangeModified, Native("/data/x/y/Report.DOC")}));
    EXPECT_EQ(dests[0], Native("/backups/one/x/y/Report.DOC"));
    EXPECT_EQ(jobs[1].second, Native("/data/deep/" + longName + ".doc"));  // never cut
}

TEST_F(NTFolderScannerTest, AnEmptyFilterListReportsNothing) {
    scanner.SetRoot("/data");
    scanner.HandleChange(DirAdded, "a.txt");
    scanner.HandleChange(DirModified, "a.txt");
    scanner.GetFilters() = {""};  // an empty mask matches no name
    scanner.HandleChange(DirModified, "a.txt");
    EXPECT_THAT(jobs, IsEmpty());
}

TEST_F(NTFolderScannerTest, RealChangesArriveAsChangeEvents) {
    if (test::RunningUnderWine()) GTEST_SKIP() << "this Wine reports no changes below the watched folder itself";
    TempFolder folder;
    fs::create_directory(folder / "sub");
    scanner.SetBackupPath(test::Native("/backups/one"));
    scanner.SetRoot(folder.Path());
    scanner.GetFilters() = {"*.txt"};
    scanner.Start();
    WriteFile(folder / "sub/skip.bin", "not replicated");
    WriteFile(folder / "sub/a.txt", "a");
    fs::rename(folder / "sub/a.txt", folder / "sub/b.txt");
    fs::remove(folder / "sub/b.txt");
    const auto at = [&](const std::string& name) { return test::Native(folder / name); };
    ASSERT_TRUE(WaitForJob({ChangeDeleted, at("sub/b.txt")})) << ::testing::PrintToString(jobs);
    EXPECT_THAT(jobs, ElementsAre(Job{ChangeCreated, at("sub/a.txt")}, Job{ChangeModified, at("sub/a.txt")},
                                  Job{ChangeDeleted, at("sub/a.txt")}, Job{ChangeCreated, at("sub/b.txt")},
                                  Job{ChangeDeleted, at("sub/b.txt")}));
    EXPECT_EQ(dests[1], test::Native("/backups/one/sub/a.txt"));
    scanner.Stop();
}

TEST_F(NTFolderScannerTest, AMissingRootFailsStartWithTheMonitorsMessage) {
    TempFolder folder;
    scanner.SetRoot(folder / "missing");
    EXPECT_THROW(
        {
            try {
                scanner.Start();
            } catch (const ScannerStartError& error) {
                EXPECT_STREQ(error.what(), "Cannot find the directory");
                throw;
            }
        },
        ScannerStartError);
}

class NTFolderScannerFactoryTest : public ::testing::Test {
protected:
    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
};

TEST_F(NTFolderScannerFactoryTest, CreateScannerMakesOneOnThisPlatform) {
    std::unique_ptr<FolderScanner> scanner = CreateScanner(context, {NTFolderScannerCreator(dispatcher), {}});
    ASSERT_NE(dynamic_cast<NTFolderScanner*>(scanner.get()), nullptr);
    EXPECT_TRUE(scanner->GetSubfolders());
    EXPECT_TRUE(scanner->GetDeletions());
    EXPECT_EQ(scanner->GetRoot(), "/");
    EXPECT_THAT(scanner->GetFilters(), IsEmpty());
}

}  // namespace
}  // namespace pellmar
