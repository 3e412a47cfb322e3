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

// ReadInteger of the text SQLiteQuery::Execute would keep; a stored integer is that already.
std::int32_t StoredInteger(const SQLiteRow& entry, int column, const SQLiteValue& value) {
    return static_cast<std::int32_t>(value.type == SQLiteType::Integer ? value.integer : entry.Integer64(column));
}

// By column position: the statement names its columns, so no row looks any of them up by name.
void ReadLogRow(const SQLiteRow& entry, const SQLiteValue& logdate, LogMomentTexts& moments, LogListRow& row) {
    const std::int32_t status = static_cast<std::int32_t>(entry.Integer64(kLogEntryStatus));
    row.type = LogStatusWord(status);
    row.image = status >= kLogInformation && status <= kLogError ? status : -1;
    moments.Set(UnixTimeToDateTime(StoredInteger(entry, kLogEntryLogdate, logdate)));
    row.date = moments.Date();
    row.time = moments.Time();
    row.operation = LogOperationWord(static_cast<std::int32_t>(entry.Integer64(kLogEntryOperation)));
    row.description = entry.Text(kLogEntryMessage);
    row.item.jobid = static_cast<std::int32_t>(entry.Integer64(kLogEntryJobid));
    row.item.src = CutForDetailPane(entry.Text(kLogEntrySrc));
    row.item.dest = CutForDetailPane(entry.Text(kLogEntryDest));
}

// The rows in the statement's order (logdate DESC), those of one logdate put highest id first
// once the next logdate comes: SelectLogStatement's order, without SQLite sorting every tie.
class RowsInLogOrder {
public:
    explicit RowsInLogOrder(std::size_t expected) { rows_.reserve(expected); }

    // The new row, to be filled in place.
    LogListRow& Add(const SQLiteValue& logdate, std::int64_t id) {
        if (tiedIds_.empty() || !(logdate == logdate_)) {
            OrderTied();
            logdate_ = logdate;
        }
        tiedIds_.push_back(id);
        return rows_.emplace_back();
    }

    std::vector<LogListRow> Finish() {
        OrderTied();
        return std::move(rows_);
    }

private:
    void OrderTied() {
        if (tiedIds_.size() > 1) {
            std::vector<std::size_t> order(tiedIds_.size());
            for (std::size_t at = 0; at < order.size(); ++at) order[at] = at;
            std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) { return tiedIds_[a] > tiedIds_[b]; });
            std::vector<LogListRow> ordered;
            ordered.reserve(order.size());
            for (std::size_t at : order) ordered.push_back(std::move(rows_[tiedFrom_ + at]));
            std::move(ordered.begin(), ordered.end(), rows_.begin() + static_cast<std::ptrdiff_t>(tiedFrom_));
        }
        tiedIds_.clear();
        tiedFrom_ = rows_.size();
    }

    std::vector<LogListRow> rows_;
    std::vector<std::int64_t> tiedIds_;  // of the rows from tiedFrom_ on, which share logdate_
    std::size_t tiedFrom_ = 0;
    SQLiteValue logdate_;
};

// Room for every row, so that none is moved while they are read. Nothing to report: the
// statement of the rows reports the same failure.
std::size_t LogEntryCount(SQLiteQuery& query) {
    std::size_t count = 0;
    query.SetText("SELECT COUNT(*) FROM log;");
    query.ExecuteReading([&count](const SQLiteRow& row) { count = static_cast<std::size_t>(row.Integer64(0)); });
    return count;
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

bool LogData::Connect(bool unlockedCalls) {
    SQLiteDatabase& database = query_.Session().Database();
    using Locking = SQLiteDatabase::CallLocking;
    if (!database.Ready() || !database.Open(databasePath_, unlockedCalls ? Locking::None : Locking::Each)) return false;
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
    // A dozen calls for each of many rows, all on this object's one thread.
    if (!Connect(true)) return 0;
    RowsInLogOrder rows(LogEntryCount(query_));
    LogMomentTexts moments;
    // Each row goes into the list as SQLite steps to it: the result is never held as strings.
    const bool read = ReadQuery(query_, SelectLogEntriesStatement(), [&](const SQLiteRow& entry) {
        const SQLiteValue logdate = entry.Value(kLogEntryLogdate);
        ReadLogRow(entry, logdate, moments, rows.Add(logdate, entry.Integer64(kLogEntryId)));
    });
    // A statement that fails part way shows no entries, not the first part of them.
    if (read) list.Assign(rows.Finish());
    query_.Clear();
    query_.Session().Database().Close();
    return list.Count();
}

}  // namespace pellmar
