// pellmarctl's reads and writes of the database file through the database layer, with a database
// object of its own: the monitors' rows, the event log (through LogData) and the pending jobs.
// Used directly when no host runs, and by a host for the log and the jobs, as its log window does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tray/ctl/ControlBackend.h"

namespace pellmar {
class SQLiteDatabase;
class SQLiteQuery;
}  // namespace pellmar

namespace pellmar::ctl {

// Thread contract: the thread that made it; one unit of work per call.
class DatabaseStore {
public:
    // A missing file is created with the creation script only when `createIfMissing`; otherwise
    // it reads as no monitors, no entries and no jobs.
    DatabaseStore(std::string databasePath, bool createIfMissing);
    ~DatabaseStore();

    bool Monitors(std::vector<ScannerValues>* monitors);
    std::int32_t Insert(const ScannerValues& values);  // the new id, or 0
    bool Update(const ScannerValues& values);
    bool Delete(std::int32_t id);
    bool SetStatus(std::int32_t id, std::int32_t status);
    bool LoadLog(LogListModel* rows);
    bool CancelJob(std::int32_t jobid);
    bool Jobs(std::vector<JobRow>* jobs);

private:
    bool Connect();
    bool Change(const std::string& statement);
    template <typename Read> bool Select(const std::string& statement, Read&& read);

    std::string path_;
    bool missing_ = false;  // no file and none made: nothing to read
    std::unique_ptr<SQLiteDatabase> database_;
    SQLiteQuery* query_ = nullptr;
};

}  // namespace pellmar::ctl
