// Named transactions on a database object's connection.
// Runs only BEGIN, COMMIT and ROLLBACK; the statements in between are the queries'.
#include "tray/db/SQLiteSession.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"

namespace pellmar {

SQLiteSession::SQLiteSession(SQLiteDatabase& database, std::string name)
    : database_(database), name_(std::move(name)) {}

SQLiteSession::~SQLiteSession() = default;

int SQLiteSession::StartTransaction() {
    // SQLite 3 rejects "ON CONFLICT ..." after BEGIN; the algorithm is kept but not sent.
    // IMMEDIATE: the write lock is taken (waiting out the busy timeout) at the start. A deferred
    // transaction that has read and then writes while another connection writes cannot wait:
    // SQLite fails it at once with "database is locked".
    return Run("BEGIN IMMEDIATE TRANSACTION " + name_);
}

int SQLiteSession::Commit() {
    return Run("COMMIT TRANSACTION " + name_);
}

int SQLiteSession::Rollback() {
    return Run("ROLLBACK TRANSACTION " + name_);
}

SQLiteQuery& SQLiteSession::CreateQuery() {
    queries_.push_back(std::make_unique<SQLiteQuery>(*this));
    return *queries_.back();
}

int SQLiteSession::Run(const std::string& statement) {
    std::string error;
    const int rc = database_.Exec(statement, nullptr, nullptr, &error);
    if (!error.empty()) {
        lastError_ = error;
    }
    return rc;
}

}  // namespace pellmar
