// NTFolderScanner: the action table, masks on the file-name part and full paths, driven directly;
// then the whole road from a real file change to a ChangeEvent, and CreateScanner.
#include "tray/monitor/NTFolderScanner.h"

#include "platform/PlainDispatcher.h"
#include "tests/support/TempFolder.h"

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
    scanner.SetRoot("/data");
    scanner.GetFilters() = {"*"};
    scanner.HandleChange(DirAdded, "a");
    scanner.HandleChange(DirRemoved, "b");
    scanner.HandleChange(DirModified, "c");
    scanner.HandleChange(DirRenamedOld, "d");
    scanner.HandleChange(DirRenamedNew, "e");
    scanner.HandleChange(static_cast<DirAction>(17), "f");
    EXPECT_THAT(jobs, ElementsAre(Job{ChangeCreated, "/data/a"}, Job{ChangeDeleted, "/data/b"},
                                  Job{ChangeModified, "/data/c"}, Job{ChangeDeleted, "/data/d"},
                                  Job{ChangeCreated, "/data/e"}, Job{ChangeCreated, "/data/f"}));
}

TEST_F(NTFolderScannerTest, MasksSeeOnlyTheFileNameAndPathsAreJoinedWhole) {
    scanner.SetRoot("/data/");  // a trailing delimiter is not doubled
    scanner.GetFilters() = {"*.doc"};
    scanner.HandleChange(DirModified, "letters.doc/note.txt");
    scanner.HandleChange(DirModified, "x/y/Report.DOC");
    const std::string longName(300, 'n');
    scanner.HandleChange(DirAdded, "deep/" + longName + ".doc");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0], (Job{ChangeModified, "/data/x/y/Report.DOC"}));
    EXPECT_EQ(dests[0], "/backups/one/x/y/Report.DOC");
    EXPECT_EQ(jobs[1].second, "/data/deep/" + longName + ".doc");  // never cut
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
    TempFolder folder;
    fs::create_directory(folder / "sub");
    scanner.SetRoot(folder.Path());
    scanner.GetFilters() = {"*.txt"};
    scanner.Start();
    WriteFile(folder / "sub/skip.bin", "not replicated");
    WriteFile(folder / "sub/a.txt", "a");
    fs::rename(folder / "sub/a.txt", folder / "sub/b.txt");
    fs::remove(folder / "sub/b.txt");
    ASSERT_TRUE(WaitForJob({ChangeDeleted, folder / "sub/b.txt"}));
    EXPECT_THAT(jobs, ElementsAre(Job{ChangeCreated, folder / "sub/a.txt"}, Job{ChangeModified, folder / "sub/a.txt"},
                                  Job{ChangeDeleted, folder / "sub/a.txt"}, Job{ChangeCreated, folder / "sub/b.txt"},
                                  Job{ChangeDeleted, folder / "sub/b.txt"}));
    EXPECT_EQ(dests[1], "/backups/one/sub/a.txt");
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
    ~NTFolderScannerFactoryTest() override { RegisterScannerVariant(ScannerVariant::DetailedRecords, nullptr); }
    FixedScannerContext context;
    platform::PlainDispatcher dispatcher;
};

TEST_F(NTFolderScannerFactoryTest, CreateScannerMakesOneOnThisPlatform) {
    RegisterNTFolderScanner(dispatcher);
    std::unique_ptr<FolderScanner> scanner = CreateScanner(context);
    ASSERT_NE(dynamic_cast<NTFolderScanner*>(scanner.get()), nullptr);
    EXPECT_TRUE(scanner->GetSubfolders());
    EXPECT_TRUE(scanner->GetDeletions());
    EXPECT_EQ(scanner->GetRoot(), "/");
    EXPECT_THAT(scanner->GetFilters(), IsEmpty());
}

}  // namespace
}  // namespace pellmar
