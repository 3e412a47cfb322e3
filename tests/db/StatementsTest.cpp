// Statement texts against the real schema: values written by one builder are found and read
// back unchanged by the others, and stored numbers read back with the program's rule.
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tray/db/Statements.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::Connection;
using test::TempFolder;

TEST(StoredValues, ReadBackWithTheDecimalRuleNarrowedTo32Bits) {
    EXPECT_EQ(ReadInteger(""), 0);
    EXPECT_EQ(ReadInteger("42"), 42);
    EXPECT_EQ(ReadInteger("-17"), -17);
    EXPECT_EQ(ReadInteger("+5"), 5);
    EXPECT_EQ(ReadInteger("4294967295"), -1);
    EXPECT_EQ(ReadInteger("2147483648"), INT32_MIN);
    EXPECT_EQ(ReadInteger64("1733570000123"), 1733570000123);
    for (const char* bad : {"abc", "12abc", " 12", "1.5", "+-3", "99999999999999999999", "-"}) {
        EXPECT_EQ(ReadInteger64(bad), 0) << bad;
    }
    EXPECT_EQ(ReadFileId("4294967295"), 4294967295u);
    EXPECT_EQ(ReadFileId("-1"), 4294967295u);
    EXPECT_TRUE(ReadFlag("1"));
    for (const char* notOne : {"", "0", "2", "true", "01"}) {
        EXPECT_FALSE(ReadFlag(notOne)) << notOne;
    }
}

TEST(StatementTexts, KeepTheExactFormTheirReadersExpect) {
    LogValues entry;
    entry.jobid = 17;
    entry.logdate = 1733570000;
    entry.message = "File was copied successfully.";
    entry.src = "C:\\Data\\a.doc";
    entry.dest = "D:\\Backup\\a.doc";
    EXPECT_EQ(InsertLogStatement(entry),
              "INSERT INTO log VALUES(NULL,0,17,0,1733570000,0,'File was copied successfully.',"
              "'C:\\Data\\a.doc','D:\\Backup\\a.doc');");
    EXPECT_EQ(DeleteJobStatement(5), "DELETE FROM jobs WHERE id=5;\r\n");
    EXPECT_EQ(CancelJobStatement(5), "DELETE FROM jobs WHERE id=5;\r\nDELETE FROM log WHERE jobid=5 AND operation<>2;");
    EXPECT_EQ(SelectFileVersionStatement(3000000000u),
              "SELECT currentversion FROM fileinfo where fileid='3000000000';");
    EXPECT_EQ(SqlText("it's ''"), "'it''s '''''");
}

class StatementsOnSchema : public ::testing::Test {
protected:
    void SetUp() override { test::CreateSchema(path); }

    TempFolder folder;
    std::string path = folder / "pellmar.db";
    test::RecordingErrorReporter reporter;
    Connection db{path};  // opened before SetUp creates the tables on another connection
};

ChangeEvent SampleJob(std::uint32_t fileid, const std::string& src) {
    ChangeEvent job;
    job.jobtype = ChangeModified;
    job.fileid = fileid;
    job.createfolder = true;
    job.waitexclusive = false;
    job.currentversion = 3;
    job.maxversions = 5;
    job.src = src;
    job.dest = "/backup/it's 100%.3.doc";
    return job;
}

TEST_F(StatementsOnSchema, AJobRowReadsBackAsTheEventThatWroteItLargeFileIdIncluded) {
    const ChangeEvent written = SampleJob(4000000000u, "/data/it's 100%.doc");
    ASSERT_TRUE(db.Change(InsertJobStatement(written, 1733570000)));
    ASSERT_TRUE(db.Select(SelectNewJobsStatement()));
    ASSERT_EQ(db.query.RowCount(), 1);
    const ChangeEvent read = ReadJobRow(db.query);
    EXPECT_EQ(read.id, 1);
    EXPECT_EQ(read.jobtype, written.jobtype);
    EXPECT_EQ(read.fileid, written.fileid);
    EXPECT_TRUE(read.createfolder);
    EXPECT_FALSE(read.waitexclusive);
    EXPECT_EQ(read.currentversion, 3);
    EXPECT_EQ(read.maxversions, 5);
    EXPECT_EQ(read.src, written.src);
    EXPECT_EQ(read.dest, written.dest);
    EXPECT_EQ(db.query.FieldByName("fileid"), "4000000000");
    EXPECT_EQ(db.query.FieldByName("retries"), "0");
    EXPECT_EQ(db.query.FieldByName("scheduled"), "1733570000");
}

TEST_F(StatementsOnSchema, TheWorkersBatchDefersDeletesAndLogsInOneTransaction) {
    ASSERT_TRUE(db.Change(InsertJobStatement(SampleJob(1, "/data/a.doc"), 0) +
                          InsertJobStatement(SampleJob(2, "/data/b.doc"), 0) +
                          InsertJobStatement(SampleJob(3, "/data/c.doc"), 0)));
    LogValues entry;
    entry.status = 1;
    entry.jobid = 3;
    entry.cancancel = true;
    entry.message = "Could not copy, it's in use.";
    ASSERT_TRUE(db.Change(DeleteJobStatement(1) + DeferJobStatement(2) +
                          DeferJobWithTempCopyStatement(3, "/tmp/o'brien/c.doc") +
                          InsertLogStatement(entry) + "\r\n"));

    EXPECT_THAT(db.Column(SelectAllJobsStatement(), "id"), ElementsAre("2", "3"));
    EXPECT_THAT(db.Column(SelectAllJobsStatement(), "src"), ElementsAre("/data/b.doc", "/tmp/o'brien/c.doc"));
    EXPECT_THAT(db.Column(SelectNewJobsStatement(), "id"), IsEmpty());
    EXPECT_THAT(db.Column(SelectLogStatement(), "message"), ElementsAre(entry.message));
    EXPECT_THAT(db.Column(SelectLogStatement(), "cancancel"), ElementsAre("1"));

    ASSERT_TRUE(db.Change(CancelJobStatement(3)));
    EXPECT_THAT(db.Column(SelectAllJobsStatement(), "id"), ElementsAre("2"));
    EXPECT_THAT(db.Column(SelectLogStatement(), "id"), IsEmpty());

    // A new job of the same destination brings the deferred one along, oldest first.
    ASSERT_TRUE(db.Change(InsertJobStatement(SampleJob(4, "/data/b.doc"), 0)));
    EXPECT_THAT(db.Column(SelectNewJobsStatement(), "id"), ElementsAre("2", "3"));
    EXPECT_THAT(db.Column(SelectWaitingCopiesStatement(), "src"), ElementsAre("/data/b.doc", "/data/b.doc"));
}

TEST_F(StatementsOnSchema, FileVersionsAreKeyedByUnsignedTextAboveTheSignedRange) {
    const std::uint32_t big = 2147483648u;
    const std::uint32_t other = 2147483647u;
    ASSERT_TRUE(db.Change(InsertFileVersionStatement(big, 1) + InsertFileVersionStatement(other, 7)));
    ASSERT_TRUE(db.Change(UpdateFileVersionStatement(big, 2)));
    EXPECT_THAT(db.Column(SelectFileVersionStatement(big), "currentversion"), ElementsAre("2"));
    EXPECT_THAT(db.Column("SELECT fileid FROM fileinfo ORDER BY currentversion;", "fileid"),
                ElementsAre("2147483648", "2147483647"));

    EXPECT_THAT(db.Column(SelectFileVersionStatement(other), "currentversion"), ElementsAre("7"));
    // The key is text: inserting the same identifier again breaks the primary key.
    EXPECT_FALSE(db.Change(InsertFileVersionStatement(other, 8)));
    EXPECT_EQ(reporter.Reports().size(), 1u);
}

TEST_F(StatementsOnSchema, ScannerRowsStoreListsAndFlagsAndFollowUpdatesAndDeletes) {
    ScannerValues scanner;
    scanner.root = "/home/o'brien/100% docs";
    scanner.filters = {"*.doc", "", "*.xls"};
    scanner.exceptions = {"~*.tmp"};
    scanner.backuppath = "/backup";
    scanner.hasversions = true;
    scanner.maxversions = 5;
    scanner.status = 1;
    ASSERT_TRUE(db.Change(InsertScannerStatement(scanner)));
    scanner.id = static_cast<std::int32_t>(db.query.LastInsertRowId());
    ASSERT_EQ(scanner.id, 1);

    ASSERT_TRUE(db.Select(SelectScannersStatement()));
    EXPECT_THAT(db.query.Results(),
                ElementsAre("id", "root", "filters", "exceptions", "backuppath", "subfolders",
                            "deletions", "exclusive", "hasversions", "maxversions", "status", "1",
                            scanner.root, "*.doc;;*.xls", "~*.tmp", "/backup", "1", "1", "0", "1",
                            "5", "1"));

    scanner.exclusive = true;
    scanner.subfolders = false;
    scanner.root = "/elsewhere";
    ASSERT_TRUE(db.Change(UpdateScannerStatement(scanner) + UpdateScannerStatusStatement(scanner.id, 0)));
    ASSERT_TRUE(db.Select(SelectScannersStatement()));
    EXPECT_EQ(db.query.FieldByName("root"), "/elsewhere");
    EXPECT_TRUE(ReadFlag(db.query.FieldByName("exclusive")));
    EXPECT_FALSE(ReadFlag(db.query.FieldByName("subfolders")));
    EXPECT_EQ(ReadInteger(db.query.FieldByName("status")), 0);

    ASSERT_TRUE(db.Change(DeleteScannerStatement(scanner.id)));
    EXPECT_THAT(db.Column(SelectScannersStatement(), "id"), IsEmpty());
}

TEST_F(StatementsOnSchema, PurgeKeepsTheCutOffSecondAndTheLogReadsNewestFirst) {
    for (const std::int64_t logdate : {100, 300, 200, 99}) {
        LogValues entry;
        entry.logdate = logdate;
        ASSERT_TRUE(db.Change(InsertLogStatement(entry)));
    }
    ASSERT_TRUE(db.Change(PurgeLogStatement(100)));
    EXPECT_THAT(db.Column(SelectLogStatement(), "logdate"), ElementsAre("300", "200", "100"));
    EXPECT_THAT(reporter.Reports(), IsEmpty());
}

}  // namespace
}  // namespace pellmar
