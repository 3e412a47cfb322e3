// Execution of a statement text and navigation over its string result.
// Neither transactions nor error reports: those belong to the session and the unit of work.
#include "tray/db/SQLiteQuery.h"

#include "common/TextCase.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/SqliteApi.h"
#include "tray/db/Statements.h"

namespace pellmar {
namespace {

constexpr int kSqliteInteger = 1;

template <typename Number>
int Sign(Number a, Number b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Exact for every pair, as SQLite compares them; converting either side would round one of them.
int CompareIntegerWithReal(std::int64_t integer, double real) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (real < -kLimit) return 1;
    if (real >= kLimit) return -1;
    const auto whole = static_cast<std::int64_t>(real);
    if (integer != whole) return Sign(integer, whole);
    return Sign(static_cast<double>(integer), real);
}

int ClassRank(SQLiteType type) {
    switch (type) {
        case SQLiteType::Null: return 0;
        case SQLiteType::Integer:
        case SQLiteType::Real: return 1;
        case SQLiteType::Text: return 2;
        default: return 3;
    }
}

}  // namespace

int CompareValues(const SQLiteValue& a, const SQLiteValue& b) {
    const int rank = ClassRank(a.type);
    if (rank != ClassRank(b.type)) return Sign(rank, ClassRank(b.type));
    if (rank == 0) return 0;
    if (rank == 1) {
        if (a.type == SQLiteType::Integer && b.type == SQLiteType::Integer) return Sign(a.integer, b.integer);
        if (a.type == SQLiteType::Real && b.type == SQLiteType::Real) return Sign(a.real, b.real);
        return a.type == SQLiteType::Integer ? CompareIntegerWithReal(a.integer, b.real)
                                             : -CompareIntegerWithReal(b.integer, a.real);
    }
    // std::string compares its characters as unsigned char, as memcmp does, then the lengths.
    return Sign(a.bytes.compare(b.bytes), 0);
}

SQLiteRow::SQLiteRow(const SqliteApi& api, SqliteStatement* statement)
    : api_(api), statement_(statement), columns_(api.column_count(statement)) {}

std::string_view SQLiteRow::Text(int column) const {
    if (column < 0 || column >= columns_) return {};
    // sqlite3_exec hands over the same text, and the result keeps it up to its first NUL.
    const unsigned char* text = api_.column_text(statement_, column);
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

SQLiteValue SQLiteRow::Value(int column) const {
    SQLiteValue value;
    if (column < 0 || column >= columns_) return value;
    value.type = static_cast<SQLiteType>(api_.column_type(statement_, column));
    switch (value.type) {
        case SQLiteType::Integer: value.integer = api_.column_int64(statement_, column); break;
        case SQLiteType::Real: value.real = api_.column_double(statement_, column); break;
        case SQLiteType::Text:
        case SQLiteType::Blob: {
            // Blob bytes as they are, NUL characters included; the length comes after the pointer.
            const unsigned char* bytes = api_.column_text(statement_, column);
            const int length = api_.column_bytes(statement_, column);
            if (bytes != nullptr && length > 0) value.bytes.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
            break;
        }
        default: value.type = SQLiteType::Null; break;
    }
    return value;
}

std::int64_t SQLiteRow::Integer64(int column) const {
    // The text of a stored integer is its decimal digits, which ReadInteger64 reads back whole.
    if (HoldsInteger(column)) return api_.column_int64(statement_, column);
    return ReadInteger64(Text(column));
}

bool SQLiteRow::HoldsInteger(int column) const {
    return column >= 0 && column < columns_ && api_.column_type(statement_, column) == kSqliteInteger;
}

SQLiteQuery::SQLiteQuery(SQLiteSession& session) : session_(session) {}

void SQLiteQuery::SetText(const std::string& text) {
    // Kept whole: joining split lines would drop a line break that is part of a quoted value.
    text_ = text;
}

int SQLiteQuery::Execute() {
    ResetResult();
    const int rc = session_.Database().Exec(text_, &SQLiteQuery::RowCallback, this, &lastError_);
    SetRow(0);
    if (afterExecute_) {
        afterExecute_(*this);
    }
    return rc;
}

int SQLiteQuery::ExecuteReading(const RowReader& reader) {
    ResetResult();
    SetRow(0);
    return session_.Database().Step(text_, reader, &lastError_);
}

void SQLiteQuery::First() {
    SetRow(0);
}

void SQLiteQuery::Next() {
    SetRow(currentRow_ + 1);
}

void SQLiteQuery::SetRow(int row) {
    if (rowCount_ == 0) {
        eof_ = true;
        bof_ = true;
        currentRow_ = 0;
        return;
    }
    bof_ = row <= 0;
    if (bof_) {
        row = 0;
    }
    eof_ = row > rowCount_ - 1;
    currentRow_ = eof_ ? rowCount_ - 1 : row;
}

std::string SQLiteQuery::FieldByName(const std::string& column) const {
    for (int i = 0; i < columnCount_ && i < static_cast<int>(results_.size()); ++i) {
        if (EqualIgnoringAsciiCase(results_[i], column)) {
            const std::size_t index =
                static_cast<std::size_t>(i) + static_cast<std::size_t>(columnCount_) *
                                                  (static_cast<std::size_t>(currentRow_) + 1);
            return index < results_.size() ? results_[index] : std::string();
        }
    }
    return {};
}

std::int64_t SQLiteQuery::LastInsertRowId() const {
    return session_.Database().LastInsertRowId();
}

void SQLiteQuery::Clear() {
    text_.clear();
    ResetResult();
    SetRow(0);
}

void SQLiteQuery::ResetResult() {
    results_.clear();
    rowCount_ = 0;
    columnCount_ = 0;
    currentRow_ = 0;
}

int SQLiteQuery::RowCallback(void* self, int columns, char** values, char** names) {
    // An exception must not unwind through SQLite's C frames; stopping the statement is the
    // only safe way out (it then fails with SQLite's abort code).
    try {
        return static_cast<SQLiteQuery*>(self)->AddRow(columns, values, names);
    } catch (...) {
        return 1;
    }
}

int SQLiteQuery::AddRow(int columns, char** values, char** names) {
    if (columns > 0) {
        columnCount_ = columns;
        ++rowCount_;
        if (results_.empty()) {
            for (int i = 0; i < columns; ++i) {
                results_.emplace_back(names[i] != nullptr ? names[i] : "");
            }
        }
        for (int i = 0; i < columns; ++i) {
            results_.emplace_back(values[i] != nullptr ? values[i] : "");
        }
    }
    if (onRow_) {
        bool stop = false;
        onRow_(*this, stop);
        if (stop) {
            return 1;
        }
    }
    return 0;
}

}  // namespace pellmar
