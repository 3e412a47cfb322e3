// Units of work of the event log store over the database layer's statement builders.
// Statement texts come from tray/db/Statements; display words and times from LogCodes/LogFormat.
#include "tray/log/LogData.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogCodes.h"
#include "tray/log/LogFormat.h"

namespace pellmar {
namespace {

// By column position: the statement names its columns, so no row looks any of them up by name.
// Integers read as ReadInteger reads the text SQLiteQuery::Execute would keep.
void ReadLogRow(const SQLiteRow& entry, LogMomentTexts& moments, LogListRow& row) {
    const std::int32_t status = static_cast<std::int32_t>(entry.Integer64(kLogEntryStatus));
    row.type = LogStatusWord(status);
    row.image = status >= kLogInformation && status <= kLogError ? status : -1;
    moments.Set(UnixTimeToDateTime(static_cast<std::int32_t>(entry.Integer64(kLogEntryLogdate))));
    row.date = moments.Date();
    row.time = moments.Time();
    row.operation = LogOperationWord(static_cast<std::int32_t>(entry.Integer64(kLogEntryOperation)));
    row.description = entry.Text(kLogEntryMessage);
    row.item.jobid = static_cast<std::int32_t>(entry.Integer64(kLogEntryJobid));
    row.item.src = CutForDetailPane(entry.Text(kLogEntrySrc));
    row.item.dest = CutForDetailPane(entry.Text(kLogEntryDest));
}

// Puts rows[from..] (the entries of one logdate, with these ids) in SelectLogStatement's order
// within one logdate: the highest id first.
void OrderTied(std::vector<LogListRow>& rows, std::size_t from, const std::vector<std::int64_t>& ids) {
    if (ids.size() < 2) return;
    std::vector<std::size_t> order(ids.size());
    for (std::size_t at = 0; at < order.size(); ++at) order[at] = at;
    std::sort(order.begin(), order.end(), [&ids](std::size_t a, std::size_t b) { return ids[a] > ids[b]; });
    std::vector<LogListRow> ordered;
    ordered.reserve(order.size());
    for (std::size_t at : order) ordered.push_back(std::move(rows[from + at]));
    std::move(ordered.begin(), ordered.end(), rows.begin() + static_cast<std::ptrdiff_t>(from));
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
    std::vector<LogListRow> rows;
    // Only room for the rows, so that none is moved while they are read; the statement below
    // reports a failure (and shows no rows), this one has none to report.
    query_.SetText("SELECT COUNT(*) FROM log;");
    query_.ExecuteReading([&rows](const SQLiteRow& count) { rows.reserve(static_cast<std::size_t>(count.Integer64(0))); });
    LogMomentTexts moments;
    // The ids of the rows from `tiedFrom` on: those of one logdate, which the statement leaves in
    // no particular order.
    std::vector<std::int64_t> tiedIds;
    std::size_t tiedFrom = 0;
    SQLiteValue logdate;
    // Each row goes into the list as SQLite steps to it: the result is never held as strings.
    const bool read = ReadQuery(query_, SelectLogEntriesStatement(), [&](const SQLiteRow& entry) {
        SQLiteValue date = entry.Value(kLogEntryLogdate);
        if (!(date == logdate) || tiedIds.empty()) {
            OrderTied(rows, tiedFrom, tiedIds);
            tiedIds.clear();
            tiedFrom = rows.size();
            logdate = std::move(date);
        }
        tiedIds.push_back(entry.Integer64(kLogEntryId));
        ReadLogRow(entry, moments, rows.emplace_back());
    });
    OrderTied(rows, tiedFrom, tiedIds);
    // A statement that fails part way shows no entries, not the first part of them.
    if (read) list.Assign(std::move(rows));
    query_.Clear();
    query_.Session().Database().Close();
    return list.Count();
}

}  // namespace pellmar
