// Transaction handling and error reporting shared by every caller of the database layer.
// Opening and closing the connection stays with the caller.
#include "tray/db/UnitOfWork.h"

#include "platform/ErrorReporter.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"

namespace pellmar {
namespace {

bool Connected(const SQLiteDatabase& database) {
    return database.Ready() && database.IsOpen();
}

// Ended before the report: a reporter that waits for the user (a modal box) must not keep the
// database's write lock, and with it every other thread's work, for as long as the box is open.
bool RollBackAndReport(SQLiteSession& session, std::string error) {
    session.Rollback();
    platform::ReportError(error);
    return false;
}

}  // namespace

bool ExecInTransaction(SQLiteSession& session, SQLiteQuery& query, const std::string& text) {
    if (!Connected(session.Database()) || !Connected(query.Session().Database())) {
        return false;
    }
    query.SetText(text);
    // A BEGIN that fails means an earlier transaction is still open on this connection; running
    // the text and committing would commit that earlier, half-done work with it.
    if (session.StartTransaction() != 0) {
        platform::ReportError(session.LastError());
        return false;
    }
    if (query.Execute() >= 1) return RollBackAndReport(session, query.LastError());
    // A failed COMMIT (a reader holding the file past the busy timeout) has saved nothing.
    if (session.Commit() != 0) return RollBackAndReport(session, session.LastError());
    return true;
}

bool ExecQuery(SQLiteQuery& query, const std::string& text) {
    if (!Connected(query.Session().Database())) {
        return false;
    }
    query.SetText(text);
    if (query.Execute() >= 1) {
        platform::ReportError(query.LastError());
        return false;
    }
    return true;
}

bool ReadQuery(SQLiteQuery& query, const std::string& text, const std::function<void(const SQLiteRow& row)>& reader) {
    if (!Connected(query.Session().Database())) {
        return false;
    }
    query.SetText(text);
    if (query.ExecuteReading(reader) >= 1) {
        platform::ReportError(query.LastError());
        return false;
    }
    return true;
}

}  // namespace pellmar
