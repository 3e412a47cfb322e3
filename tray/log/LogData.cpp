// Units of work of the event log store over the database layer's statement builders.
// Statement texts come from tray/db/Statements; display words and times from LogCodes/LogFormat.
#include "tray/log/LogData.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogCodes.h"
#include "tray/log/LogFormat.h"

namespace pellmar {
namespace {

LogListRow ReadLogRow(const SQLiteQuery& query) {
    LogListRow row;
    std::int32_t status = ReadInteger(query.FieldByName("status"));
    row.type = LogStatusWord(status);
    row.image = status >= kLogInformation && status <= kLogError ? status : -1;
    DateTime when = UnixTimeToDateTime(ReadInteger(query.FieldByName("logdate")));
    row.date = LogDateText(when);
    row.time = LogTimeText(when);
    row.operation = LogOperationWord(ReadInteger(query.FieldByName("operation")));
    row.description = query.FieldByName("message");
    row.item.jobid = ReadInteger(query.FieldByName("jobid"));
    row.item.src = CutForDetailPane(query.FieldByName("src"));
    row.item.dest = CutForDetailPane(query.FieldByName("dest"));
    return row;
}

}  // namespace

std::string MakeJobLogStatement(const ChangeEvent& job, std::int32_t resultCode, DateTime now) {
    LogValues entry;
    entry.status = LogStatusOfResult(resultCode);
    entry.jobid = job.id;
    entry.cancancel = CanCancelResult(resultCode);
    entry.logdate = DateTimeToUnixTime(now);
    entry.operation = LogOperationOfJobType(job.jobtype);
    entry.message = JobResultMessage(resultCode);
    entry.src = job.src;
    entry.dest = job.dest;
    return InsertLogStatement(entry);
}

LogData::LogData(SQLiteQuery& query, std::string databasePath)
    : query_(query), databasePath_(std::move(databasePath)) {}

bool LogData::Connect() {
    SQLiteDatabase& database = query_.Session().Database();
    if (!database.Ready() || !database.Open(databasePath_)) return false;
    database.SetBusyTimeout(kBusyTimeoutMilliseconds);
    return true;
}

bool LogData::RunChange(const std::string& statement) {
    if (!Connect()) return false;
    bool committed = ExecInTransaction(query_.Session(), query_, statement);
    query_.Clear();
    query_.Session().Database().Close();
    return committed;
}

bool LogData::AddLogEntry(std::int32_t status, std::int32_t jobid, std::int32_t operation, DateTime when,
                          const std::string& message, const std::string& src, const std::string& dest) {
    LogValues entry;
    entry.status = status;
    entry.jobid = jobid;
    entry.cancancel = false;
    entry.logdate = DateTimeToUnixTime(when);
    entry.operation = operation;
    entry.message = message;
    entry.src = src;
    entry.dest = dest;
    return RunChange(InsertLogStatement(entry));
}

bool LogData::PurgeLog(DateTime cutoff) { return RunChange(PurgeLogStatement(DateTimeToUnixTime(cutoff))); }

bool LogData::CancelJob(std::int32_t jobid) { return RunChange(CancelJobStatement(jobid)); }

std::int64_t LogData::NewestEntryId() {
    if (!Connect()) return -1;
    std::int64_t newest = -1;
    if (ExecQuery(query_, "SELECT COALESCE(MAX(id), 0) AS newest FROM log;")) {
        query_.First();
        if (!query_.Eof()) newest = std::stoll(query_.FieldByName("newest"));
    }
    query_.Clear();
    query_.Session().Database().Close();
    return newest;
}

int LogData::LoadLogEntries(LogListModel& list) {
    list.Clear();
    if (!Connect()) return 0;
    int count = 0;
    if (ExecQuery(query_, SelectLogStatement())) {
        for (query_.First(); !query_.Eof(); query_.Next()) {
            list.Append(ReadLogRow(query_));
            ++count;
        }
    }
    query_.Clear();
    query_.Session().Database().Close();
    return count;
}

}  // namespace pellmar
