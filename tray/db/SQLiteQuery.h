// One statement text (often several statements) and its whole result held as strings: first
// the column names once, then every row's values column by column (NULL reads as empty).
// Or, for a large result, each row handed to a reader by column position as SQLite reaches it,
// with nothing of it kept (ExecuteReading).
// Thread contract: that of its database object (one thread). Notifications run on that thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

class SQLiteSession;
struct SqliteApi;
struct SqliteStatement;

// The storage classes of SQLite 3, with its codes.
enum class SQLiteType { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

// A value copied out of a row.
struct SQLiteValue {
    SQLiteType type = SQLiteType::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // of a text or a blob
};
// Negative, 0 or positive as `a` sorts before, with or after `b` in SQLite's ORDER BY (the
// BINARY collation): NULL first, then numbers by value (an integer and a real can be equal),
// then texts, then blobs, both byte by byte.
int CompareValues(const SQLiteValue& a, const SQLiteValue& b);

// The row a statement has stepped to, read by the column's position in the SELECT (0 first).
// Valid only during the reader call that hands it over; the views it returns too.
class SQLiteRow {
public:
    SQLiteRow(const SqliteApi& api, SqliteStatement* statement);

    int ColumnCount() const { return columns_; }
    // The value as Execute keeps it: numbers as SQLite writes them, NULL (and a column that is
    // not there) as empty, a text up to its first NUL character.
    std::string_view Text(int column) const;
    // What ReadInteger64(Text(column)) reads, without writing out a stored integer first.
    std::int64_t Integer64(int column) const;
    // The stored value with its storage class; NULL for a column that is not there.
    SQLiteValue Value(int column) const;

private:
    // The stored value is an integer (not NULL, a real, a text or a blob).
    bool HoldsInteger(int column) const;

    const SqliteApi& api_;
    SqliteStatement* statement_;
    int columns_;
};

class SQLiteQuery {
public:
    using AfterExecute = std::function<void(SQLiteQuery& query)>;
    using OnRow = std::function<void(SQLiteQuery& query, bool& stop)>;
    using RowReader = std::function<void(const SQLiteRow& row)>;

    // Made by SQLiteSession::CreateQuery, which owns it.
    explicit SQLiteQuery(SQLiteSession& session);
    SQLiteQuery(const SQLiteQuery&) = delete;
    SQLiteQuery& operator=(const SQLiteQuery&) = delete;

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }

    // Runs the text exactly as written (a "%" is never a format directive) on the session's
    // database connection and returns SQLite's result code, 0 for success. Afterwards the
    // current row is the first one.
    int Execute();

    // Runs the text like Execute, but hands every row of every statement in it to `reader` as
    // SQLite steps to it, and keeps none: afterwards there are no rows (Eof), and neither
    // notification runs. Returns SQLite's result code, 0 for success, with LastError() as for
    // Execute; rows read before a failure have been handed over. An exception from the reader
    // ends the statement and goes on to the caller.
    int ExecuteReading(const RowReader& reader);

    void First();
    void Next();
    // Moves to row n, clamped to the rows there are; sets Eof()/Bof() (both with no rows).
    void SetRow(int row);
    // "EOF" and "BOF" are taken by the C library's macros.
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }

    // The value of the current row in the named column (letter case ignored); empty for an
    // unknown column or when there are no rows.
    std::string FieldByName(const std::string& column) const;
    std::int64_t LastInsertRowId() const;

    // Empties text and result.
    void Clear();

    int RowCount() const { return rowCount_; }
    int ColumnCount() const { return columnCount_; }
    int CurrentRow() const { return currentRow_; }
    const std::vector<std::string>& Results() const { return results_; }
    const std::string& LastError() const { return lastError_; }
    SQLiteSession& Session() const { return session_; }

    void SetAfterExecute(AfterExecute notification) { afterExecute_ = std::move(notification); }
    void SetOnRow(OnRow notification) { onRow_ = std::move(notification); }

private:
    static int RowCallback(void* self, int columns, char** values, char** names);
    int AddRow(int columns, char** values, char** names);
    void ResetResult();

    SQLiteSession& session_;
    std::string text_;
    std::vector<std::string> results_;
    int columnCount_ = 0;
    int rowCount_ = 0;
    int currentRow_ = 0;
    bool eof_ = true;
    bool bof_ = true;
    std::string lastError_;
    AfterExecute afterExecute_;
    OnRow onRow_;
};

}  // namespace pellmar
