// One statement text (often several statements) and its whole result held as strings: first
// the column names once, then every row's values column by column (NULL reads as empty).
// Thread contract: that of its database object (one thread). Notifications run on that thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellmar {

class SQLiteSession;

class SQLiteQuery {
public:
    using AfterExecute = std::function<void(SQLiteQuery& query)>;
    using OnRow = std::function<void(SQLiteQuery& query, bool& stop)>;

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
