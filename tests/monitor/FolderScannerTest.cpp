// The scanner base: which reported changes are dropped, what the delivered event holds, where
// its destination lies, invalid stored masks, and the scanner factory.
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/ScannerFactory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/monitor/FolderScannerStub.h"
#include "tests/support/NativePath.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tray/util/Checksums.h"

namespace pellmar {
namespace {

using test::FolderScannerStub;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FolderScannerTest : public ::testing::Test {
protected:
    FolderScannerTest() : context({"/usr/", "/home/u/.local/share/pellmar/"}, {}) {
        scanner.SetRoot("/data");
        scanner.SetSubfolders(true);
        scanner.SetDeletions(true);
        scanner.SetBackupPath("/backup");
        context.MutableBackupFolders().push_back("/backup");
        scanner.SetOnChange([this](FolderScanner& from, std::unique_ptr<ChangeEvent> event) {
            EXPECT_EQ(&from, &scanner);
            events.push_back(std::move(event));
        });
    }

    std::vector<std::string> Sources() const {
        std::vector<std::string> sources;
        for (const auto& event : events) sources.push_back(event->src);
        return sources;
    }

    FixedScannerContext context;
    FolderScannerStub scanner{context};
    std::vector<std::unique_ptr<ChangeEvent>> events;
};

TEST_F(FolderScannerTest, DeliversOneEventPerReportWithTheScannersValues) {
    scanner.SetExclusive(true);
    scanner.SetMaxVersions(4);
    scanner.ReportCreated("/data/a.txt");
    scanner.ReportModified("/data/x/b.txt");
    scanner.ReportDeleted("/data/c.txt");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->jobtype, ChangeCreated);
    EXPECT_EQ(events[1]->jobtype, ChangeModified);
    EXPECT_EQ(events[2]->jobtype, ChangeDeleted);
    EXPECT_EQ(events[1]->src, "/data/x/b.txt");
    EXPECT_EQ(events[1]->fileid, Crc32OfText("/data/x/b.txt"));
    EXPECT_TRUE(events[1]->waitexclusive);
    EXPECT_EQ(events[1]->maxversions, 4);
    EXPECT_EQ(events[1]->currentversion, 0);
    EXPECT_EQ(events[1]->id, 0);
}

TEST_F(FolderScannerTest, FileIdIgnoresAsciiLetterCaseOnly) {
    scanner.ReportCreated("/data/Report.DOC");
    scanner.ReportCreated("/DATA/report.doc");
    scanner.ReportCreated("/data/\xC3\x89t\xC3\xA9.doc");
    scanner.ReportCreated("/data/\xC3\xA9t\xC3\xA9.doc");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0]->fileid, events[1]->fileid);
    EXPECT_NE(events[0]->fileid, 0u);
    EXPECT_NE(events[2]->fileid, events[3]->fileid);
}

TEST_F(FolderScannerTest, DeletionsOffDropsOnlyDeletions) {
    scanner.SetDeletions(false);
    scanner.ReportDeleted("/data/gone.txt");
    scanner.ReportCreated("/data/new.txt");
    scanner.ReportModified("/data/changed.txt");
    EXPECT_THAT(Sources(), ElementsAre("/data/new.txt", "/data/changed.txt"));
}

TEST_F(FolderScannerTest, ExceptionMasksSeeOnlyTheFileNameAtAnyDepth) {
    scanner.GetExceptions() = {"*.tmp*", "~$*", "data*"};
    scanner.ReportCreated("/data/a.tmp");
    scanner.ReportCreated("/data/x/y/z/b.TMP");
    scanner.ReportModified("/data/x/~$report.doc");
    scanner.ReportDeleted("/data/x/c.tmp");
    scanner.ReportCreated("/data/x.tmp/kept.txt");   // a folder named like a mask does not count
    scanner.ReportCreated("/data/dataset/kept.csv");
    EXPECT_THAT(Sources(), ElementsAre("/data/x.tmp/kept.txt", "/data/dataset/kept.csv"));
}

TEST_F(FolderScannerTest, ProtectedFoldersInAnyLetterCaseAreDropped) {
    scanner.SetRoot("/");
    scanner.ReportCreated("/usr/lib/x.so");
    scanner.ReportCreated("/USR/Share/y.txt");
    scanner.ReportCreated("/home/u/.local/share/Pellmar/db/pellmar.db");
    scanner.ReportCreated("/usrlocal/kept.txt");  // a longer name is a different folder
    scanner.ReportCreated("/usr");                // the folder itself is not inside itself
    EXPECT_THAT(Sources(), ElementsAre("/usrlocal/kept.txt", "/usr"));
}

TEST_F(FolderScannerTest, FilesInAnyMonitorsBackupFolderAreDropped) {
    using test::Native;
    scanner.SetRoot(Native("/data"));
    scanner.SetBackupPath(Native("/data/backup"));
    context.MutableBackupFolders() = {Native("/data/backup"), Native("/other/Copies/"), ""};
    scanner.ReportCreated(Native("/data/backup/a.txt"));
    scanner.ReportCreated(Native("/data/BACKUP/x/b.txt"));
    scanner.ReportCreated(Native("/other/copies/c.txt"));
    scanner.ReportCreated(Native("/data/backup.txt"));     // beside the folder, not in it
    scanner.ReportCreated(Native("/data/backups/d.txt"));
    // The empty backup folder of an unfinished monitor must not swallow every change.
    EXPECT_THAT(Sources(), ElementsAre(Native("/data/backup.txt"), Native("/data/backups/d.txt")));
}

TEST_F(FolderScannerTest, BackupFolderAtTheTopDropsEverything) {
    context.MutableBackupFolders() = {"/"};
    scanner.ReportCreated("/data/a.txt");
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(FolderScannerTest, WithoutAHandlerChangesVanish) {
    scanner.SetOnChange(nullptr);
    scanner.ReportCreated("/data/a.txt");
    scanner.SetOnChange([this](FolderScanner&, std::unique_ptr<ChangeEvent> event) { events.push_back(std::move(event)); });
    scanner.ReportCreated("/data/b.txt");
    EXPECT_THAT(Sources(), ElementsAre("/data/b.txt"));
}

TEST_F(FolderScannerTest, AHandlerMayDestroyItsOwnScanner) {
    auto doomed = std::make_unique<FolderScannerStub>(context);
    int calls = 0;
    std::string source;
    doomed->SetRoot("/data");
    doomed->SetOnChange([&](FolderScanner&, std::unique_ptr<ChangeEvent> event) {
        doomed.reset();
        source = event->src;  // reads captures of the handler after its scanner is gone
        ++calls;
    });
    doomed->ReportCreated("/data/a.txt");
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(source, "/data/a.txt");
}

TEST_F(FolderScannerTest, SubfoldersOnKeepTheRelativeFolder) {
    using test::Native;
    scanner.SetRoot(Native("/data"));
    scanner.SetBackupPath(Native("/backup"));
    scanner.ReportCreated(Native("/data/a.txt"));
    scanner.ReportCreated(Native("/data/x/y/a.txt"));
    scanner.SetRoot(Native("/data/"));
    scanner.SetBackupPath(Native("/backup/"));
    scanner.ReportModified(Native("/data/x/y/a.txt"));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->dest, Native("/backup/a.txt"));
    EXPECT_EQ(events[1]->dest, Native("/backup/x/y/a.txt"));
    EXPECT_EQ(events[2]->dest, Native("/backup/x/y/a.txt"));
    EXPECT_TRUE(events[1]->createfolder);
}

TEST_F(FolderScannerTest, SubfoldersOffPutEveryFileInTheBackupFolder) {
    using test::Native;
    scanner.SetRoot(Native("/data"));
    scanner.SetBackupPath(Native("/backup"));
    scanner.SetSubfolders(false);
    scanner.ReportCreated(Native("/data/a.txt"));
    scanner.ReportCreated(Native("/data/x/y/a.txt"));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->dest, Native("/backup/a.txt"));
    EXPECT_EQ(events[1]->dest, Native("/backup/a.txt"));
    EXPECT_FALSE(events[1]->createfolder);
}

TEST_F(FolderScannerTest, DestinationComparesTheRootExactly) {
    if (!test::PosixNames()) GTEST_SKIP() << "POSIX names only: case-sensitive folders and a colon inside a name";
    scanner.SetRoot("/Data");
    scanner.ReportCreated("/data/x/a.txt");   // not under the root as written: no relative part invented
    scanner.ReportCreated("/Data/x/a.txt");
    scanner.ReportCreated("/Data/a:b.txt");   // a colon is part of a Linux name
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]->dest, "/backup/a.txt");
    EXPECT_EQ(events[1]->dest, "/backup/x/a.txt");
    EXPECT_EQ(events[2]->dest, "/backup/a:b.txt");
}

TEST_F(FolderScannerTest, LongPathsAreCarriedWhole) {
    using test::Native;
    const std::string deep =
        Native(std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(100, 'f') + ".txt");
    scanner.SetRoot(Native("/data"));
    scanner.SetBackupPath(Native("/backup"));
    scanner.ReportCreated(Native("/data/") + deep);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->src, Native("/data/") + deep);
    EXPECT_EQ(events[0]->dest, Native("/backup/") + deep);
    EXPECT_EQ(events[0]->fileid, Crc32OfText(Native("/data/") + deep));
}

TEST_F(FolderScannerTest, InvalidExceptionMaskDropsChangesAndIsReportedOncePerScanner) {
    test::RecordingErrorReporter reporter;
    scanner.GetExceptions() = {"*.bak", "[tmp"};
    FolderScannerStub other(context);
    other.SetRoot("/data");
    other.GetExceptions() = {"[tmp"};
    scanner.ReportCreated("/data/a.txt");
    scanner.ReportModified("/data/b.txt");
    scanner.ReportCreated("/data/c.bak");  // excepted before the bad mask is reached
    other.ReportCreated("/data/d.txt");
    EXPECT_THAT(events, IsEmpty());
    const auto reports = reporter.Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].caption, "Pellmar");
    EXPECT_EQ(reports[0].text, "'[tmp' is an invalid mask at (5)");
    EXPECT_EQ(reports[1].text, "'[tmp' is an invalid mask at (5)");
}

TEST_F(FolderScannerTest, InvalidFilterFailsTheNameAndIsReportedOnce) {
    test::RecordingErrorReporter reporter;
    scanner.GetFilters() = {"*.doc", "[!]"};
    EXPECT_TRUE(scanner.PassesFilters("a.doc"));
    EXPECT_FALSE(scanner.PassesFilters("a.txt"));
    EXPECT_FALSE(scanner.PassesFilters("b.txt"));
    scanner.GetFilters() = {"[]"};
    EXPECT_FALSE(scanner.PassesFilters("a.doc"));
    const auto reports = reporter.Reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].text, "'[!]' is an invalid mask at (3)");
    EXPECT_EQ(reports[1].text, "'[]' is an invalid mask at (2)");
}

class CreateScannerTest : public ::testing::Test {
protected:
    static ScannerCreator StubCreator(int* made) {
        return [made](ScannerContext& context) {
            ++*made;
            return std::make_unique<FolderScannerStub>(context);
        };
    }
    FixedScannerContext context;
};

TEST_F(CreateScannerTest, NewScannerHasTheDefaultsOfANewMonitor) {
    int made = 0;
    std::unique_ptr<FolderScanner> scanner = CreateScanner(context, {StubCreator(&made), {}});
    ASSERT_NE(scanner, nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(scanner->GetDeletions());
    EXPECT_TRUE(scanner->GetSubfolders());
    EXPECT_FALSE(scanner->GetExclusive());
    EXPECT_FALSE(scanner->GetHasVersions());
    EXPECT_EQ(scanner->GetId(), 0);
    EXPECT_EQ(scanner->GetStatus(), 0);
    EXPECT_EQ(scanner->GetMaxVersions(), 0);
    EXPECT_EQ(scanner->GetRoot(), "");
    EXPECT_EQ(scanner->GetBackupPath(), "");
    EXPECT_THAT(scanner->GetFilters(), IsEmpty());
    EXPECT_THAT(scanner->GetExceptions(), IsEmpty());
}

TEST_F(CreateScannerTest, PicksTheGivenEngineOrFails) {
    EXPECT_THROW(CreateScanner(context, {}), std::logic_error);
    int detailed = 0;
    int signals = 0;
    CreateScanner(context, {{}, StubCreator(&signals)});  // the only one there
    CreateScanner(context, {StubCreator(&detailed), {}});  // Linux reports detailed change records
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(detailed, 1);
}

}  // namespace
}  // namespace pellmar
