// A query's result strings and the navigation over them, against a real SQLite file.
// Transactions and error reports are covered in the unit-of-work tests.
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace pellmar {
namespace {

using ::testing::ElementsAre;
using test::Connection;
using test::TempFolder;

class SQLiteQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Change("CREATE TABLE t(id INTEGER PRIMARY KEY,name,note);"
                              "INSERT INTO t VALUES(1,'one',NULL);"
                              "INSERT INTO t VALUES(2,'two','b');"
                              "INSERT INTO t VALUES(3,'three','c');"));
    }

    TempFolder folder;
    Connection db{folder / "query.db"};
    SQLiteQuery& query = db.query;
};

TEST_F(SQLiteQueryTest, ResultHoldsColumnNamesOnceThenRowsWithNullAsEmpty) {
    ASSERT_TRUE(db.Select("SELECT id,note FROM t ORDER BY id;"));
    EXPECT_EQ(query.ColumnCount(), 2);
    EXPECT_EQ(query.RowCount(), 3);
    EXPECT_THAT(query.Results(), ElementsAre("id", "note", "1", "", "2", "b", "3", "c"));
}

TEST_F(SQLiteQueryTest, NavigationClampsAtBothEndsAndNextPastTheLastRowKeepsEof) {
    ASSERT_TRUE(db.Select("SELECT * FROM t ORDER BY id;"));
    // Rows are readable straight after the statement ran.
    EXPECT_FALSE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.FieldByName("name"), "one");

    query.Next();
    EXPECT_FALSE(query.Bof());
    EXPECT_EQ(query.FieldByName("name"), "two");
    query.Next();
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.FieldByName("name"), "three");
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.CurrentRow(), 2);
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.CurrentRow(), 2);
    EXPECT_EQ(query.FieldByName("name"), "three");

    query.SetRow(-5);
    EXPECT_TRUE(query.Bof());
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.CurrentRow(), 0);
    query.First();
    EXPECT_EQ(query.FieldByName("id"), "1");
}

TEST_F(SQLiteQueryTest, FieldByNameIgnoresCaseButNotLengthAndUnknownOrNoRowsGiveEmpty) {
    ASSERT_TRUE(db.Select("SELECT id,name FROM t WHERE id=2;"));
    EXPECT_EQ(query.FieldByName("NAME"), "two");
    EXPECT_EQ(query.FieldByName("nam"), "");
    EXPECT_EQ(query.FieldByName("names"), "");
    EXPECT_EQ(query.FieldByName("note"), "");  // a column the SELECT did not return

    ASSERT_TRUE(db.Select("SELECT * FROM t WHERE id=99;"));
    EXPECT_EQ(query.RowCount(), 0);
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.FieldByName("name"), "");
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.CurrentRow(), 0);
}

TEST_F(SQLiteQueryTest, ExecuteStartsFromAnEmptyResultAndClearEmptiesTextToo) {
    ASSERT_TRUE(db.Select("SELECT * FROM t;"));
    ASSERT_TRUE(db.Select("SELECT name FROM t WHERE id=3;"));
    EXPECT_THAT(query.Results(), ElementsAre("name", "three"));

    query.Clear();
    EXPECT_EQ(query.Text(), "");
    EXPECT_TRUE(query.Results().empty());
    EXPECT_EQ(query.ColumnCount(), 0);
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.FieldByName("name"), "");
}

TEST_F(SQLiteQueryTest, LastInsertRowIdAndNotifications) {
    ASSERT_TRUE(db.Change("INSERT INTO t VALUES(NULL,'four',NULL);"));
    EXPECT_EQ(query.LastInsertRowId(), 4);

    int afterExecute = 0;
    query.SetAfterExecute([&](SQLiteQuery& q) {
        ++afterExecute;
        EXPECT_EQ(&q, &query);
    });
    query.SetOnRow([](SQLiteQuery& q, bool& stop) { stop = q.RowCount() == 2; });
    query.SetText("SELECT * FROM t ORDER BY id;");
    EXPECT_NE(query.Execute(), 0);  // stopped by the per-row notification
    EXPECT_EQ(query.RowCount(), 2);
    EXPECT_EQ(afterExecute, 1);
}

TEST_F(SQLiteQueryTest, AnExceptionInTheRowNotificationStopsTheStatementInsteadOfUnwinding) {
    query.SetOnRow([](SQLiteQuery&, bool&) { throw std::runtime_error("row"); });
    query.SetText("SELECT * FROM t;");
    EXPECT_NE(query.Execute(), 0);
    EXPECT_EQ(query.RowCount(), 1);
}

// The reader sees what Execute would keep, position by position, in every statement of the text;
// a failing statement leaves SQLite's message and keeps nothing.
TEST_F(SQLiteQueryTest, ReadingHandsOverTheValuesExecuteKeepsAndNothingStays) {
    ASSERT_TRUE(db.Change("INSERT INTO t VALUES(4,2.5,'x');INSERT INTO t VALUES(5,'+7',X'41004243');"));
    const std::string text = "SELECT id,name,note FROM t ORDER BY id;SELECT COUNT(*) FROM t;";
    ASSERT_TRUE(db.Select(text));
    const std::vector<std::string> kept(query.Results().begin() + 3, query.Results().end());
    std::vector<std::string> read;
    std::vector<std::int64_t> integers;
    query.SetText(text);
    ASSERT_EQ(query.ExecuteReading([&](const SQLiteRow& row) {
        for (int column = 0; column < row.ColumnCount(); ++column) {
            read.emplace_back(row.Text(column));
            integers.push_back(row.Integer64(column));
        }
    }), 0);
    EXPECT_EQ(read, kept);  // the blob up to its NUL, the count of the second statement last
    EXPECT_THAT(integers, ElementsAre(1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 7, 0, 5));
    EXPECT_TRUE(query.Results().empty());
    EXPECT_TRUE(query.Eof());

    query.SetText("SELECT nothing FROM t;");
    EXPECT_NE(query.ExecuteReading([](const SQLiteRow&) { ADD_FAILURE() << "no row of a failed statement"; }), 0);
    EXPECT_NE(query.LastError().find("nothing"), std::string::npos) << query.LastError();
}

// Values of every kind, among them those an integer or a real would round: sorted with
// CompareValues (stable, from the key order) they come in the order of SQLite's ORDER BY v, k.
TEST_F(SQLiteQueryTest, CompareValuesSortsAsOrderByDoes) {
    ASSERT_TRUE(db.Change("CREATE TABLE v(k INTEGER PRIMARY KEY, v);"
                          "INSERT INTO v(v) VALUES(5),(NULL),(5.0),('x'),(5.5),(-0.5),(0),(-1),(x'00'),(''),"
                          "(9223372036854775807),(9223372036854775808.0),(9007199254740993),(9007199254740992.0),"
                          "(-9223372036854775808),(-9223372036854775808.0),(NULL),('X'),('Ã©'),(x''),"
                          "(CAST(x'610062' AS TEXT)),('a'),(x'41'),(5),(-1e300),(1e300);"));
    std::vector<SQLiteValue> values;
    std::vector<std::int64_t> keys;
    query.SetText("SELECT k,v FROM v ORDER BY k;");
    ASSERT_EQ(query.ExecuteReading([&](const SQLiteRow& row) {
        keys.push_back(row.Integer64(0));
        values.push_back(row.Value(1));
    }), 0);
    std::vector<std::size_t> order(values.size());
    for (std::size_t at = 0; at < order.size(); ++at) order[at] = at;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return CompareValues(values[a], values[b]) < 0; });
    std::vector<std::string> sorted;
    for (std::size_t at : order) sorted.push_back(std::to_string(keys[at]));
    EXPECT_EQ(sorted, db.Column("SELECT k FROM v ORDER BY v, k;", "k"));
    EXPECT_EQ(CompareValues(values[0], values[2]), 0) << "5 and 5.0";
    EXPECT_EQ(values[20].bytes, std::string("a\0b", 3)) << "a text is compared whole, past a NUL";
}

}  // namespace
}  // namespace pellmar
