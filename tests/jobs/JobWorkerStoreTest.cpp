// The worker's units of work on a real database file: which rows a pass reads and in what order,
// a batch that commits whole or not at all, the purge, and a missing file.
#include "tray/jobs/JobWorkerSqliteStore.h"

#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

class JobWorkerStoreTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    std::string path = folder / "pellmar.db";
    test::RecordingErrorReporter errors;

    void Exec(const std::string& sql) {
        SQLiteDatabase database(path, true);
        ASSERT_TRUE(database.Ready());
        SQLiteSession& session = database.CreateSession("TestSession");
        ASSERT_TRUE(ExecInTransaction(session, session.CreateQuery(), sql));
    }
    std::string Count(const std::string& table) {
        SQLiteDatabase database(path, false);
        SQLiteQuery& query = database.CreateSession("TestSession").CreateQuery();
        EXPECT_TRUE(ExecQuery(query, "SELECT count(*) AS n FROM " + table + ";"));
        return query.FieldByName("n");
    }
    ChangeEvent Job(const std::string& name, std::uint32_t fileid = 7) {
        ChangeEvent job;
        job.jobtype = ChangeModified;
        job.fileid = fileid;
        job.currentversion = 2;
        job.maxversions = 3;
        job.src = "/src/" + name;
        job.dest = "/bak/" + name;
        return job;
    }
};

TEST_F(JobWorkerStoreTest, AFullPassReadsEveryJobAndANewPassOnlyTheUndeferredInIdOrder) {
    Exec(std::string(kCreationScript) + InsertJobStatement(Job("a"), 0) + InsertJobStatement(Job("it's", 4000000000u), 0) +
         InsertJobStatement(Job("c"), 0) + "UPDATE jobs SET deferred=1 WHERE id=2;");
    JobWorkerSqliteStore store(path);

    auto all = store.ReadJobs(true);
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), (std::vector<int>{all[0].id, all[1].id, all[2].id}));
    EXPECT_EQ("/src/it's", all[1].src);
    EXPECT_EQ(4000000000u, all[1].fileid);
    EXPECT_EQ(2, all[1].currentversion);
    EXPECT_EQ(3, all[1].maxversions);
    EXPECT_EQ(ChangeModified, all[1].jobtype);

    auto fresh = store.ReadJobs(false);
    ASSERT_EQ(2u, fresh.size());
    EXPECT_EQ(1, fresh[0].id);
    EXPECT_EQ(3, fresh[1].id);
}

TEST_F(JobWorkerStoreTest, ABatchCommitsWholeOrNotAtAll) {
    Exec(std::string(kCreationScript) + InsertJobStatement(Job("a"), 0) + InsertJobStatement(Job("b"), 0));
    JobWorkerSqliteStore store(path);
    ChangeEvent first = Job("a");
    first.id = 1;
    store.RunBatch("DELETE FROM jobs WHERE id=1;\r\n" + store.LogStatement(first, 8) +
                   "\r\nINSERT INTO nowhere VALUES(1);\r\n");
    EXPECT_EQ(1u, errors.Reports().size());
    EXPECT_EQ("2", Count("jobs"));
    EXPECT_EQ("0", Count("log"));

    store.RunBatch("DELETE FROM jobs WHERE id=1;\r\n" + store.LogStatement(first, 8) + "\r\n");
    EXPECT_EQ("1", Count("jobs"));
    EXPECT_EQ("1", Count("log"));
    store.RunBatch("");  // an empty pass begins and commits nothing
    EXPECT_EQ(1u, errors.Reports().size());
}

TEST_F(JobWorkerStoreTest, PurgeRemovesOnlyEntriesOlderThanTheCutOff) {
    Exec(std::string(kCreationScript) + "INSERT INTO log VALUES(NULL,0,1,0,100,0,'old','','');" +
         "INSERT INTO log VALUES(NULL,0,1,0,200,0,'at cut-off','','');" +
         "INSERT INTO log VALUES(NULL,0,1,0,300,0,'new','','');");
    JobWorkerSqliteStore store(path);
    store.PurgeLog(UnixTimeToDateTime(200));
    EXPECT_EQ("2", Count("log"));
}

TEST_F(JobWorkerStoreTest, AMissingDatabaseFileGivesEmptyPassesAndIsNeverCreated) {
    JobWorkerSqliteStore store(path);
    EXPECT_TRUE(store.ReadJobs(true).empty());
    store.RunBatch("DELETE FROM jobs WHERE id=1;\r\n");
    store.PurgeLog(UnixTimeToDateTime(200));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(errors.Reports().empty());
}

}  // namespace
}  // namespace pellmar
