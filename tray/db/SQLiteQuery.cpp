// Execution of a statement text and navigation over its string result.
// Neither transactions nor error reports: those belong to the session and the unit of work.
#include "tray/db/SQLiteQuery.h"

#include "common/TextCase.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteSession.h"

namespace pellmar {

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
