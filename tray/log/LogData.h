// The event log store: the log entry of a job outcome, single entries, reading every entry into
// the list model, purging old entries and cancelling a pending job with its entries.
// Owns no database object: it works on the caller's query (and its session and database).
#pragma once

#include <cstdint>
#include <string>

#include "tray/log/LogList.h"
#include "tray/model/ChangeEvent.h"
#include "tray/util/DateTime.h"

namespace pellmar {

class SQLiteQuery;

// The INSERT of one log entry for `job` (id, type, paths) ending in resultCode, stamped `now`.
// No line break at the end; no database access.
std::string MakeJobLogStatement(const ChangeEvent& job, std::int32_t resultCode, DateTime now = DateTimeNow());

// Thread contract: the thread that owns the query's database object; one call at a time.
// Every call is one unit of work (open, busy timeout, one statement text, clear, close);
// a failed statement is reported by the database layer and nothing of it is committed.
class LogData {
public:
    LogData(SQLiteQuery& query, std::string databasePath);

    // One entry with cancancel 0, committed at once. False when nothing was written
    // (not Ready, no connection, or the statement failed).
    bool AddLogEntry(std::int32_t status, std::int32_t jobid, std::int32_t operation, DateTime when,
                     const std::string& message, const std::string& src, const std::string& dest);

    // Deletes the entries older than `cutoff`; an entry stamped exactly at the cut-off stays.
    bool PurgeLog(DateTime cutoff);

    // Deletes the job row and every entry with its id; both or neither.
    bool CancelJob(std::int32_t jobid);

    // Replaces the list's rows with every entry, newest first; returns their number.
    int LoadLogEntries(LogListModel& list);

    // The id of the newest entry (0 for an empty log, -1 when it cannot be read): a cheap way to
    // see whether anything was logged since the last load.
    std::int64_t NewestEntryId();

private:
    // unlockedCalls: SQLiteDatabase::CallLocking::None, for a load of many rows.
    bool Connect(bool unlockedCalls = false);
    bool RunChange(const std::string& statement);

    SQLiteQuery& query_;
    std::string databasePath_;
};

}  // namespace pellmar
