// The job worker's own database object, session "ThreadJobExecSession" and query, and the units
// of work of a pass: read the jobs, run the batch, purge the log. Owns them for the thread's life.
// Thread contract: created, used and destroyed on the job worker's thread only.
#pragma once

#include <string>

#include "tray/db/SQLiteDatabase.h"
#include "tray/jobs/JobWorkerStore.h"

namespace pellmar {

class SQLiteQuery;
class SQLiteSession;

class JobWorkerSqliteStore final : public JobWorkerStore {
public:
    // Opens nothing when the file is missing: the store is then not ready and every pass is empty.
    explicit JobWorkerSqliteStore(std::string databasePath);

    std::vector<ChangeEvent> ReadJobs(bool fullPass) override;
    void RunBatch(const std::string& batch) override;
    std::string LogStatement(const ChangeEvent& job, int code) override;
    void PurgeLog(DateTime cutoff) override;

private:
    bool OpenUnit();

    std::string path_;
    SQLiteDatabase database_;
    SQLiteSession& session_;
    SQLiteQuery& query_;
};

}  // namespace pellmar
