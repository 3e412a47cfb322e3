// The unit of work on one connection: the creation script, texts stored exactly as given,
// and what a failing statement leaves behind (a report, nothing committed).
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tray/db/Schema.h"
#include "tray/db/UnitOfWork.h"
#include "platform/ErrorReporter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using test::Connection;
using test::RecordingErrorReporter;
using test::TempFolder;

TEST(CreationScript, YieldsExactlyTheFourTablesAndTwoIndexes) {
    TempFolder folder;
    test::CreateSchema(folder / "pellmar.db");
    Connection db(folder / "pellmar.db", false);
    EXPECT_THAT(db.Column("SELECT type||':'||name AS entry FROM sqlite_master ORDER BY type,name;",
                          "entry"),
                ElementsAre("index:idxJobDeferred", "index:idxLogDateDesc",
                            "index:sqlite_autoindex_fileinfo_1", "table:fileinfo", "table:jobs",
                            "table:log", "table:scanners"));
    EXPECT_THAT(db.Column("SELECT name FROM pragma_table_info('jobs');", "name"),
                ElementsAre("id", "jobtype", "fileid", "createfolder", "waitexclusive", "src", "dest",
                            "scheduled", "currentversion", "maxversions", "retries", "deferred"));
}

class UnitOfWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Change("CREATE TABLE t(id INTEGER PRIMARY KEY,path VARCHAR(255) UNIQUE);"));
    }
    std::vector<std::string> Paths() { return db.Column("SELECT path FROM t ORDER BY id;", "path"); }

    TempFolder folder;
    RecordingErrorReporter reporter;
    Connection db{folder / "unit.db"};
};

TEST_F(UnitOfWorkTest, TextsRoundTripExactlyQuotesPercentsAndLineBreaksIncluded) {
    const std::vector<std::string> paths = {
        "/home/o'brien/it's.doc", "/data/100%/%s%d%n%%.txt", "/data/two\nlines\r\n.txt",
        "/data/caf\xc3\xa9.doc"};
    for (const auto& path : paths) {
        std::string quoted;
        for (char c : path) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        ASSERT_TRUE(db.Change("INSERT INTO t VALUES(NULL,'" + quoted + "');")) << path;
    }
    EXPECT_EQ(Paths(), paths);
    EXPECT_THAT(reporter.Reports(), IsEmpty());
}

TEST_F(UnitOfWorkTest, AnEmptyStatementCommitsAndStatementsSeparatedByLineBreaksAllRun) {
    EXPECT_TRUE(db.Change(""));
    EXPECT_TRUE(db.Change("INSERT INTO t VALUES(NULL,'a');\r\nINSERT INTO t VALUES(NULL,'b');\r\n"));
    EXPECT_THAT(Paths(), ElementsAre("a", "b"));
    EXPECT_THAT(reporter.Reports(), IsEmpty());
}

TEST_F(UnitOfWorkTest, AFailingStatementIsReportedAndNothingOfItsTextIsCommitted) {
    ASSERT_TRUE(db.Change("INSERT INTO t VALUES(NULL,'kept');"));
    // The first insert succeeds inside the transaction, the second breaks the UNIQUE constraint.
    EXPECT_FALSE(db.Change("INSERT INTO t VALUES(NULL,'half');\r\nINSERT INTO t VALUES(NULL,'kept');"));
    ASSERT_EQ(reporter.Reports().size(), 1u);
    EXPECT_EQ(reporter.Reports()[0].caption, "Pellmar");
    EXPECT_THAT(reporter.Reports()[0].text, HasSubstr("UNIQUE"));
    EXPECT_THAT(db.query.LastError(), HasSubstr("UNIQUE"));

    db.database.Close();
    ASSERT_TRUE(db.database.Open(folder / "unit.db"));
    EXPECT_THAT(Paths(), ElementsAre("kept"));
}

// The reporter may wait for the user; while it does, other connections must be able to write.
class WritingReporter final : public platform::ErrorReporter {
public:
    explicit WritingReporter(const std::string& path) : other(path, false) { platform::InstallErrorReporter(this); }
    ~WritingReporter() override { platform::InstallErrorReporter(nullptr); }
    void Report(const std::string&, const std::string&, platform::ErrorIcon) override {
        other.database.SetBusyTimeout(0);
        writesDuringReport.push_back(other.Change("INSERT INTO t VALUES(NULL,'other');"));
    }
    Connection other;
    std::vector<bool> writesDuringReport;
};

TEST_F(UnitOfWorkTest, AFailedUnitIsRolledBackBeforeItsReportAndTheConnectionStaysUsable) {
    WritingReporter waiting(folder / "unit.db");
    EXPECT_FALSE(db.Change("INSERT INTO t VALUES(NULL,'half');\r\nSYNTAX ERROR;"));
    EXPECT_THAT(waiting.writesDuringReport, ElementsAre(true));
    // No transaction is left open on this connection: the next unit commits only its own work.
    EXPECT_TRUE(db.Change("INSERT INTO t VALUES(NULL,'next');"));
    db.database.Close();
    ASSERT_TRUE(db.database.Open(folder / "unit.db"));
    EXPECT_THAT(Paths(), ElementsAre("other", "next"));
}

TEST_F(UnitOfWorkTest, AFailingSelectIsReportedAndAClosedConnectionRunsNothingSilently) {
    EXPECT_FALSE(db.Select("SELECT nosuchcolumn FROM t;"));
    ASSERT_EQ(reporter.Reports().size(), 1u);
    EXPECT_THAT(reporter.Reports()[0].text, HasSubstr("nosuchcolumn"));

    db.database.Close();
    EXPECT_FALSE(db.Change("INSERT INTO t VALUES(NULL,'x');"));
    EXPECT_FALSE(db.Select("SELECT * FROM t;"));
    EXPECT_EQ(reporter.Reports().size(), 1u);
}

TEST_F(UnitOfWorkTest, NamedTransactionsAreAcceptedAndACommitWithoutOneFails) {
    SQLiteSession& named = db.database.CreateSession("ThreadJobExecSession");
    EXPECT_EQ(named.StartTransaction(), 0);
    EXPECT_EQ(named.Commit(), 0);
    EXPECT_NE(named.Commit(), 0);  // nothing left to commit
    EXPECT_THAT(named.LastError(), HasSubstr("no transaction is active"));
}

}  // namespace
}  // namespace pellmar
