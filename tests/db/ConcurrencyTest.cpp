// Two connections to one file: lock waits, the busy handler, and that a unit of work that
// could not finish leaves nothing committed.
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/RecordingErrorReporter.h"
#include "tests/support/TempFolder.h"
#include "tray/db/UnitOfWork.h"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using test::Connection;
using test::RecordingErrorReporter;
using test::TempFolder;

class TwoConnections : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(holder.Change("CREATE TABLE t(name);"));
    }
    // The holder starts a write transaction and leaves it open.
    void HoldWriteLock() {
        ASSERT_EQ(holder.session.StartTransaction(), 0);
        holder.query.SetText("INSERT INTO t VALUES('holder');");
        ASSERT_EQ(holder.query.Execute(), 0);
    }
    std::vector<std::string> Names() {
        Connection reader(path, false);
        return reader.Column("SELECT name FROM t ORDER BY name;", "name");
    }

    TempFolder folder;
    std::string path = folder / "shared.db";
    RecordingErrorReporter reporter;
    Connection holder{path};
};

TEST_F(TwoConnections, AWriterBlockedPastTheBusyTimeoutFailsIsReportedAndCommitsNothing) {
    HoldWriteLock();
    Connection other(path, false, "ThreadJobQueueSession");
    EXPECT_EQ(other.database.BusyTimeout(), kBusyTimeoutMilliseconds);

    EXPECT_FALSE(other.Change("INSERT INTO t VALUES('first');\r\nINSERT INTO t VALUES('second');"));
    ASSERT_EQ(reporter.Reports().size(), 1u);
    EXPECT_EQ(reporter.Reports()[0].caption, "Pellmar");
    EXPECT_THAT(reporter.Reports()[0].text, HasSubstr("locked"));
    other.database.Close();

    EXPECT_EQ(holder.session.Commit(), 0);
    EXPECT_THAT(Names(), ElementsAre("holder"));
}

TEST_F(TwoConnections, ACommitBlockedByAReaderFailsIsReportedAndSavesNothing) {
    // A reader inside a transaction keeps its shared lock until it ends.
    ASSERT_EQ(holder.session.StartTransaction(), 0);
    ASSERT_TRUE(holder.Select("SELECT * FROM t;"));

    Connection writer(path, false);
    EXPECT_FALSE(writer.Change("INSERT INTO t VALUES('lost');"));
    ASSERT_EQ(reporter.Reports().size(), 1u);
    EXPECT_THAT(reporter.Reports()[0].text, HasSubstr("locked"));
    writer.database.Close();

    EXPECT_EQ(holder.session.Commit(), 0);
    EXPECT_THAT(Names(), IsEmpty());
}

TEST_F(TwoConnections, TheInstalledHandlerSeesCountsFromOneWithNoTableAndGivesUpAfterTenRetries) {
    HoldWriteLock();
    SQLiteDatabase database(path, false);  // a fresh connection has no busy timeout
    SQLiteSession& session = database.CreateSession("FolderMonitorSession");
    SQLiteQuery& query = session.CreateQuery();
    std::vector<int> counts;
    std::vector<std::string> tables;
    const auto giveUp = GiveUpAfterTenRetries();
    database.SetOnBusy([&](SQLiteDatabase& db, const std::string& table, bool& stop, int count) {
        EXPECT_EQ(&db, &database);
        counts.push_back(count);
        tables.push_back(table);
        giveUp(db, table, stop, count);
    });

    EXPECT_FALSE(ExecInTransaction(session, query, "INSERT INTO t VALUES('other');"));
    EXPECT_THAT(counts, ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
    EXPECT_THAT(tables, Each(""));
    EXPECT_EQ(reporter.Reports().size(), 1u);
}

TEST_F(TwoConnections, AHandlerThatRetriesLetsTheStatementThroughOnceTheLockIsGone) {
    HoldWriteLock();
    SQLiteDatabase database(path, false);
    SQLiteSession& session = database.CreateSession("FolderMonitorSession");
    SQLiteQuery& query = session.CreateQuery();
    int calls = 0;
    database.SetOnBusy([&](SQLiteDatabase&, const std::string&, bool&, int) {
        if (++calls == 1) {
            EXPECT_EQ(holder.session.Commit(), 0);
        }
    });

    EXPECT_TRUE(ExecInTransaction(session, query, "INSERT INTO t VALUES('other');"));
    EXPECT_EQ(calls, 1);
    EXPECT_THAT(Names(), ElementsAre("holder", "other"));
    EXPECT_THAT(reporter.Reports(), IsEmpty());
}

TEST_F(TwoConnections, ABusyTimeoutReplacesTheHandlerAndRemovingTheHandlerFailsAtOnce) {
    HoldWriteLock();
    Connection other(path, false);
    int calls = 0;
    other.database.SetOnBusy([&](SQLiteDatabase&, const std::string&, bool&, int) { ++calls; });
    EXPECT_EQ(other.database.BusyTimeout(), 0);
    other.database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    EXPECT_FALSE(other.Change("INSERT INTO t VALUES('other');"));
    EXPECT_EQ(calls, 0);

    ASSERT_TRUE(other.database.Open(path));
    other.database.SetOnBusy(nullptr);
    EXPECT_FALSE(other.Change("INSERT INTO t VALUES('other');"));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(reporter.Reports().size(), 2u);
}

TEST_F(TwoConnections, ThreadsWithTheirOwnObjectsWriteTheSameFileWithoutLosingRows) {
    constexpr int kUnitsPerThread = 25;
    auto writer = [this](const std::string& name) {
        for (int i = 0; i < kUnitsPerThread; ++i) {
            Connection connection(path, false, name);
            // Generous: this test is about independent objects, not about the timeout's length.
            connection.database.SetBusyTimeout(60000);
            EXPECT_TRUE(connection.Change("INSERT INTO t VALUES('" + name + "');"));
        }
    };
    {
        std::jthread queue(writer, "ThreadJobQueueSession");
        std::jthread exec(writer, "ThreadJobExecSession");
    }
    EXPECT_EQ(Names().size(), 2u * kUnitsPerThread);
    EXPECT_THAT(reporter.Reports(), IsEmpty());
}

}  // namespace
}  // namespace pellmar
