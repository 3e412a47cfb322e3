// The job worker's units of work on its own connection; never held open while files are copied.
#include "tray/jobs/JobWorkerSqliteStore.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/UnitOfWork.h"
#include "tray/log/LogData.h"

namespace pellmar {

JobWorkerSqliteStore::JobWorkerSqliteStore(std::string databasePath)
    : path_(std::move(databasePath)),
      database_(path_, false),
      session_(database_.CreateSession(std::string(kJobExecSessionName))),
      query_(session_.CreateQuery()) {
    database_.SetOnBusy(GiveUpAfterTenRetries());
}

bool JobWorkerSqliteStore::OpenUnit() {
    if (!database_.Ready() || !database_.Open(path_)) return false;
    database_.SetBusyTimeout(kBusyTimeoutMilliseconds);
    return true;
}

std::vector<ChangeEvent> JobWorkerSqliteStore::ReadJobs(bool fullPass) {
    std::vector<ChangeEvent> jobs;
    if (!OpenUnit()) return jobs;
    if (ExecQuery(query_, fullPass ? SelectAllJobsStatement() : SelectNewJobsStatement())) {
        jobs.reserve(static_cast<std::size_t>(query_.RowCount()));
        for (query_.First(); !query_.Eof(); query_.Next()) jobs.push_back(ReadJobRow(query_));
    }
    query_.Clear();
    database_.Close();
    return jobs;
}

void JobWorkerSqliteStore::RunBatch(const std::string& batch) {
    if (!OpenUnit()) return;
    ExecInTransaction(session_, query_, batch);
    query_.Clear();
    database_.Close();
}

std::string JobWorkerSqliteStore::LogStatement(const ChangeEvent& job, int code) {
    return MakeJobLogStatement(job, code);
}

void JobWorkerSqliteStore::PurgeLog(DateTime cutoff) {
    if (!OpenUnit()) return;
    ExecInTransaction(session_, query_, PurgeLogStatement(DateTimeToUnixTime(cutoff)));
    query_.Clear();
    database_.Close();
}

}  // namespace pellmar
