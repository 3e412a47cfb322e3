// The two ways every caller runs its one statement text: changes inside the session's named
// transaction, SELECTs on their own. A failure goes to the process's error reporter.
// Thread contract: that of the database object; the reporting thread waits for the reporter.
#pragma once

#include <functional>
#include <string>

namespace pellmar {

class SQLiteQuery;
class SQLiteRow;
class SQLiteSession;

// Milliseconds every unit of work waits for a lock held by another connection.
inline constexpr int kBusyTimeoutMilliseconds = 1000;

// BEGIN, the text, COMMIT. True only when all three succeeded; otherwise the transaction is
// rolled back and then the error is reported.
// False with no report when the database is not Ready or not open.
bool ExecInTransaction(SQLiteSession& session, SQLiteQuery& query, const std::string& text);

// Runs the text (a SELECT) on its own; reads rows with First/FieldByName/Next until Eof.
// A failure is reported; false with no report when the database is not Ready or not open.
bool ExecQuery(SQLiteQuery& query, const std::string& text);

// Runs the text (a SELECT) on its own like ExecQuery, handing each row to `reader` as SQLite
// steps to it (SQLiteQuery::ExecuteReading); nothing of the result is kept. Reported as ExecQuery.
bool ReadQuery(SQLiteQuery& query, const std::string& text, const std::function<void(const SQLiteRow& row)>& reader);

}  // namespace pellmar
