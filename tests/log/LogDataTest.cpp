// The event log store against a real database file: writing, reading back newest first,
// purging at the cut-off, cancelling a job, and what failures leave behind.
#include "tray/log/LogData.h"

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "tests/log/LogTestDatabase.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tray/log/LogCodes.h"

namespace pellmar {
namespace {

using test::LogTestDatabase;
using test::SessionObjects;

DateTime At(int y, int mo, int d, int h, int mi, int s) { return EncodeDateTime({y, mo, d, h, mi, s, 0}); }

class LogDataTest : public testing::Test {
protected:
    LogTestDatabase db;
    SessionObjects objects{db.Path()};
    LogData log{objects.query, db.Path()};
    test::RecordingErrorReporter errors;
};

TEST_F(LogDataTest, EntriesComeBackNewestFirstWithTheirWordsTimesAndUnchangedTexts) {
    ASSERT_TRUE(log.AddLogEntry(kLogError, MonitorPathChecksum("/data/gone"), kLogEnableFolderScanner,
                                At(2025, 7, 4, 13, 5, 9), kMonitorStartFailedMessage, "/data/gone", ""));
    ASSERT_TRUE(log.AddLogEntry(kLogWarning, 42, kLogDelete, At(2025, 7, 5, 8, 0, 0), "it's gone",
                                "/data/o'neil's.doc", "/backup/o'neil's.doc"));
    ASSERT_TRUE(log.AddLogEntry(kLogInformation, 41, kLogCopy, At(2025, 7, 3, 23, 59, 59), "copied", "/a", "/b"));

    LogListModel list;
    ASSERT_EQ(log.LoadLogEntries(list), 3);
    ASSERT_EQ(list.Count(), 3);
    const LogListRow& newest = list.Row(0);
    EXPECT_EQ(newest.type, "Warning");
    EXPECT_EQ(newest.image, 1);
    EXPECT_EQ(newest.date, "7/5/2025");
    EXPECT_EQ(newest.time, "8:00:00 AM");
    EXPECT_EQ(newest.operation, "Delete");
    EXPECT_EQ(newest.description, "it's gone");
    EXPECT_EQ(newest.item.jobid, 42);
    EXPECT_EQ(newest.item.src, "/data/o'neil's.doc");
    EXPECT_EQ(newest.item.dest, "/backup/o'neil's.doc");

    const LogListRow& monitor = list.Row(1);
    EXPECT_EQ(monitor.type, "Error");
    EXPECT_EQ(monitor.image, 2);
    EXPECT_EQ(monitor.date, "7/4/2025");  // each row its own day's date, also after a row of another
    EXPECT_EQ(monitor.time, "1:05:09 PM");
    EXPECT_EQ(monitor.operation, "Enable Folder Scanner");
    EXPECT_EQ(monitor.item.jobid, MonitorPathChecksum("/data/gone"));
    EXPECT_EQ(monitor.item.dest, "");
    EXPECT_EQ(list.Row(2).type, "Information");
    EXPECT_EQ(list.Row(2).operation, "Copy");
    EXPECT_EQ(db.Column("SELECT cancancel FROM log;", "cancancel"), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_TRUE(errors.Reports().empty());

    // Entries of one second: the later one first, as everywhere else.
    ASSERT_TRUE(log.AddLogEntry(kLogInformation, 43, kLogCopy, At(2025, 7, 6, 9, 0, 0), "first", "/c", "/d"));
    ASSERT_TRUE(log.AddLogEntry(kLogInformation, 44, kLogCopy, At(2025, 7, 6, 9, 0, 0), "second", "/e", "/f"));
    ASSERT_EQ(log.LoadLogEntries(list), 5);
    EXPECT_EQ(list.Row(0).description, "second");
    EXPECT_EQ(list.Row(1).description, "first");
}

// The list's order is the SQL order whether or not the entries were stored in the order of their
// times, whatever kinds of value an older file holds in that column.
TEST_F(LogDataTest, EntriesComeInTheSqlOrderHoweverTheyWereStored) {
    auto store = [this](std::vector<std::string> logdates) {
        std::string inserts;
        for (const std::string& logdate : logdates) {
            inserts += "INSERT INTO log(status,jobid,cancancel,logdate,operation,message,src,dest) VALUES(0,"
                       "(SELECT COUNT(*) + 1 FROM log),0," + logdate + ",0,'m','/a','/b');\r\n";
        }
        return db.Change(inserts);
    };
    auto shown = [this] {
        LogListModel list;
        log.LoadLogEntries(list);
        std::vector<std::string> jobids;
        for (const LogListRow& row : list.Rows()) jobids.push_back(std::to_string(row.item.jobid));
        return jobids;
    };
    const std::string sqlOrder = "SELECT jobid FROM log ORDER BY logdate DESC, id DESC;";

    ASSERT_TRUE(store({"100", "100", "200", "200", "200", "300"}));  // in the order of their times
    EXPECT_EQ(shown(), (std::vector<std::string>{"6", "5", "4", "3", "2", "1"}));

    ASSERT_TRUE(store({"100", "100.0", "250", "NULL", "''", "NULL", "'x'", "100", "'x'", "100.5", "X'00'", "200"}));
    const std::vector<std::string> expected = db.Column(sqlOrder, "jobid");
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(expected.front(), "17") << "the blob, then the texts: the order was not left to chance";
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(LogDataTest, JobWorkerStatementsStoreTheOutcomeAndRowsOutsideTheCodesStayVisible) {
    ChangeEvent job;
    job.id = 9;
    job.jobtype = ChangeCreated;
    job.src = "/data/a.doc";
    job.dest = "/backup/a.doc";
    ASSERT_TRUE(db.Change(MakeJobLogStatement(job, kJobVersionParked, At(2025, 1, 1, 10, 0, 0)) + "\r\n" +
                          "INSERT INTO log VALUES(NULL,7,9,0,1,5,'odd','/x','/y');"));
    EXPECT_EQ(db.Column("SELECT cancancel FROM log WHERE status=2;", "cancancel"), std::vector<std::string>{"1"});

    LogListModel list;
    ASSERT_EQ(log.LoadLogEntries(list), 2);
    EXPECT_EQ(list.Row(0).type, "Error");
    EXPECT_EQ(list.Row(0).description, JobResultMessage(kJobVersionParked));
    EXPECT_EQ(list.Row(1).type, "7");
    EXPECT_EQ(list.Row(1).image, -1);
    EXPECT_EQ(list.Row(1).operation, "5");
}

TEST_F(LogDataTest, LongPathsAreStoredWholeAndCutOnlyForTheDetailPane) {
    std::string longSource = "/data/" + std::string(300, 's');
    std::string longDest = "/backup/" + std::string(400, 'd');
    ASSERT_TRUE(log.AddLogEntry(kLogWarning, 1, kLogCopy, DateTimeNow(), "m", longSource, longDest));
    EXPECT_EQ(db.Column("SELECT src FROM log;", "src"), std::vector<std::string>{longSource});
    LogListModel list;
    ASSERT_EQ(log.LoadLogEntries(list), 1);
    EXPECT_EQ(list.Row(0).item.src, longSource.substr(0, 255));
    EXPECT_EQ(list.Row(0).item.dest, longDest.substr(0, 255));
}

TEST_F(LogDataTest, ReloadingAnEmptyLogEmptiesTheList) {
    ASSERT_TRUE(log.AddLogEntry(kLogWarning, 1, kLogCopy, DateTimeNow(), "m", "/a", "/b"));
    LogListModel list;
    ASSERT_EQ(log.LoadLogEntries(list), 1);
    ASSERT_TRUE(db.Change("DELETE FROM log;"));
    EXPECT_EQ(log.LoadLogEntries(list), 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(LogDataTest, PurgeKeepsTheEntryExactlyAtTheCutOff) {
    DateTime cutoff = At(2025, 6, 4, 13, 5, 9);
    for (std::int32_t offset : {-86400, -1, 0, 1}) {
        ASSERT_TRUE(log.AddLogEntry(kLogInformation, offset, kLogCopy,
                                    UnixTimeToDateTime(DateTimeToUnixTime(cutoff) + offset), "m", "/a", "/b"));
    }
    ASSERT_TRUE(log.PurgeLog(cutoff));
    EXPECT_EQ(db.Column("SELECT jobid FROM log ORDER BY jobid;", "jobid"), (std::vector<std::string>{"0", "1"}));
}

TEST_F(LogDataTest, CancelRemovesTheJobAndEveryEntryOfItOnly) {
    ASSERT_TRUE(db.Change("INSERT INTO jobs VALUES(5,2,1,0,0,'/a','/b',0,0,0,0,1);\r\n"
                          "INSERT INTO jobs VALUES(6,2,1,0,0,'/c','/d',0,0,0,0,1);"));
    for (std::int32_t jobid : {5, 5, 6, 5}) {
        ASSERT_TRUE(log.AddLogEntry(kLogWarning, jobid, kLogCopy, DateTimeNow(), "m", "/a", "/b"));
    }
    ASSERT_TRUE(log.CancelJob(5));
    EXPECT_EQ(db.Column("SELECT id FROM jobs;", "id"), std::vector<std::string>{"6"});
    EXPECT_EQ(db.Column("SELECT jobid FROM log;", "jobid"), std::vector<std::string>{"6"});
    // A job that already left the table: its entries still go.
    ASSERT_TRUE(log.CancelJob(6));
    EXPECT_EQ(db.Count("log"), 0);
}

TEST(LogDataFailures, AFailingStatementIsReportedAndCommitsNothing) {
    LogTestDatabase db(false);
    SessionObjects objects(db.Path());
    LogData log(objects.query, db.Path());
    test::RecordingErrorReporter errors;
    EXPECT_FALSE(log.AddLogEntry(kLogWarning, 1, kLogCopy, DateTimeNow(), "m", "/a", "/b"));
    EXPECT_FALSE(log.CancelJob(1));
    LogListModel list;
    EXPECT_EQ(log.LoadLogEntries(list), 0);
    ASSERT_EQ(errors.Reports().size(), 3u);
    EXPECT_EQ(errors.Reports()[0].caption, "Pellmar");
    EXPECT_FALSE(objects.database.IsOpen()) << "every unit of work closes its connection";
}

TEST(LogDataFailures, WithoutADatabaseFileNothingIsWrittenOrReported) {
    test::TempFolder folder;
    std::string path = folder / "missing.db";
    SessionObjects objects(path);
    ASSERT_FALSE(objects.database.Ready());
    LogData log(objects.query, path);
    test::RecordingErrorReporter errors;
    EXPECT_FALSE(log.AddLogEntry(kLogWarning, 1, kLogCopy, DateTimeNow(), "m", "/a", "/b"));
    EXPECT_FALSE(log.PurgeLog(DateTimeNow()));
    LogListModel list;
    EXPECT_EQ(log.LoadLogEntries(list), 0);
    EXPECT_TRUE(errors.Reports().empty());
    EXPECT_FALSE(platform::FileExists(path));
}

}  // namespace
}  // namespace pellmar
