// What the job worker needs from the database and from its owner, as two small interfaces so that
// the pass loop can be driven by fakes in tests. The SQLite store is JobWorkerSqliteStore.
// Thread contract: both are called on the job worker's thread only (the host's methods may be
// called from other threads too, see FolderMonitor).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tray/model/ChangeEvent.h"
#include "tray/util/DateTime.h"

namespace pellmar {

class JobWorkerStore {
public:
    virtual ~JobWorkerStore() = default;
    // Every job (full pass) or the jobs not deferred yet, ascending id; empty when the read fails.
    virtual std::vector<ChangeEvent> ReadJobs(bool fullPass) = 0;
    // Runs the pass's statements in one transaction (an empty batch begins and commits).
    virtual void RunBatch(const std::string& batch) = 0;
    // The log entry statement for one attempt, without line end.
    virtual std::string LogStatement(const ChangeEvent& job, int code) = 0;
    virtual void PurgeLog(DateTime cutoff) = 0;
};

class JobWorkerHost {
public:
    virtual ~JobWorkerHost() = default;
    // Waits for the wake event (a negative timeout: without limit), then resets it; true when
    // the wait timed out.
    virtual bool WaitForWork(std::chrono::milliseconds timeout) = 0;
    virtual bool Terminated() const = 0;
    // The backup folders of the monitors as they are now; any thread may ask.
    virtual std::vector<std::string> BackupFolders() const { return {}; }
};

}  // namespace pellmar
