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

// The logdates of the rows, position by position: integers (what the program stores) until the
// first other value, then every value as it is.
class Logdates {
public:
    void Reserve(std::size_t count) { integers_.reserve(count); }

    // False when `logdate` sorts after the one before it.
    bool Add(const SQLiteValue& logdate) {
        if (!mixed_ && logdate.type == SQLiteType::Integer) {
            const bool inOrder = integers_.empty() || logdate.integer <= integers_.back();
            integers_.push_back(logdate.integer);
            return inOrder;
        }
        if (!mixed_) {
            mixed_ = true;
            for (std::int64_t integer : integers_) values_.push_back({SQLiteType::Integer, integer, 0, {}});
            integers_.clear();
        }
        const bool inOrder = values_.empty() || CompareValues(logdate, values_.back()) <= 0;
        values_.push_back(logdate);
        return inOrder;
    }

    bool After(std::size_t a, std::size_t b) const {
        return mixed_ ? CompareValues(values_[a], values_[b]) > 0 : integers_[a] > integers_[b];
    }

private:
    bool mixed_ = false;
    std::vector<std::int64_t> integers_;
    std::vector<SQLiteValue> values_;
};

// rows[at] = rows[order[at]] for every position, cycle by cycle, moving only the rows out of place.
void Permute(std::vector<LogListRow>& rows, std::vector<std::size_t>& order) {
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) continue;
        LogListRow first = std::move(rows[start]);
        std::size_t at = start;
        while (order[at] != start) {
            rows[at] = std::move(rows[order[at]]);
            const std::size_t next = order[at];
            order[at] = at;
            at = next;
        }
        rows[at] = std::move(first);
        order[at] = at;
    }
}

// The rows in the statement's order (id DESC), put in SelectLogStatement's (logdate DESC, id
// DESC) if their logdates do not already come in it; they do when entries were logged in the
// order of their times, and then nothing is sorted.
class RowsInLogOrder {
public:
    explicit RowsInLogOrder(std::size_t expected) {
        rows_.reserve(expected);
        logdates_.Reserve(expected);
    }

    // The new row, to be filled in place.
    LogListRow& Add(const SQLiteValue& logdate) {
        if (!logdates_.Add(logdate)) inOrder_ = false;
        return rows_.emplace_back();
    }

    std::vector<LogListRow> Finish() {
        if (inOrder_) return std::move(rows_);
        std::vector<std::size_t> order(rows_.size());
        for (std::size_t at = 0; at < order.size(); ++at) order[at] = at;
        // Stable: the entries of one logdate keep the statement's order, the highest id first.
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) { return logdates_.After(a, b); });
        Permute(rows_, order);
        return std::move(rows_);
    }

private:
    std::vector<LogListRow> rows_;
    Logdates logdates_;
    bool inOrder_ = true;
};

// Room for every row, so that none is moved while they are read. A failure is reported as the
// rows' statement would report it, once: the rows are not read then.
bool ReadLogEntryCount(SQLiteQuery& query, std::size_t& count) {
    return ReadQuery(query, "SELECT COUNT(*) FROM log;",
                     [&count](const SQLiteRow& row) { count = static_cast<std::size_t>(row.Integer64(0)); });
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
    // A dozen calls for each of many rows over a connection that lives only in this call, on the
    // caller's thread: none of them needs SQLite's lock.
    if (!Connect(true)) return 0;
    std::size_t count = 0;
    if (ReadLogEntryCount(query_, count)) {
        RowsInLogOrder rows(count);
        LogMomentTexts moments;
        // Each row goes into the list as SQLite steps to it: the result is never held as strings.
        const bool read = ReadQuery(query_, SelectLogEntriesStatement(), [&](const SQLiteRow& entry) {
            const SQLiteValue logdate = entry.Value(kLogEntryLogdate);
            ReadLogRow(entry, logdate, moments, rows.Add(logdate));
        });
        // A statement that fails part way shows no entries, not the first part of them.
        if (read) list.Assign(rows.Finish());
    }
    query_.Clear();
    query_.Session().Database().Close();
    return list.Count();
}

}  // namespace pellmar
