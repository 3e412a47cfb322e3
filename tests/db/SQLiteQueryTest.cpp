// A query's result strings and the navigation over them, against a real SQLite file.
// Transactions and error reports are covered in the unit-of-work tests.
#include "tests/db/DatabaseTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

// As SQLite's ORDER BY groups values: 5 and 5.0 tie, a text never equals a number or NULL.
TEST(SQLiteValueTest, EqualAsSqliteSortsThemTogether) {
    auto integer = [](std::int64_t value) { return SQLiteValue{SQLiteType::Integer, value, 0, {}}; };
    auto real = [](double value) { return SQLiteValue{SQLiteType::Real, 0, value, {}}; };
    auto text = [](std::string value) { return SQLiteValue{SQLiteType::Text, 0, 0, std::move(value)}; };
    EXPECT_TRUE(integer(5) == real(5.0));
    EXPECT_TRUE(real(5.0) == integer(5));
    EXPECT_FALSE(integer(5) == real(5.5));
    EXPECT_FALSE(integer(INT64_MAX) == real(9223372036854775808.0));
    EXPECT_FALSE(integer(5) == text("5"));
    EXPECT_TRUE(SQLiteValue{} == SQLiteValue{});
    EXPECT_FALSE(SQLiteValue{} == text(""));
    EXPECT_TRUE(text(std::string("a\0b", 3)) == text(std::string("a\0b", 3)));
    EXPECT_FALSE(text(std::string("a\0b", 3)) == text("a"));
}

}  // namespace
}  // namespace pellmar
