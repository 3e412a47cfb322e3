// The two places pellmarctl's commands run: SessionBackend inside a running host, through the
// session operations the configuration window uses, and DatabaseBackend on the database file
// when no host runs. Each owns its own database object for the log and the jobs.
#pragma once

#include <memory>

#include "tray/ctl/ControlBackend.h"
#include "tray/ctl/DatabaseStore.h"
#include "tray/shell/DataLocations.h"

namespace pellmar {
class MonitorSession;
}  // namespace pellmar

namespace pellmar::ctl {

// Thread contract: the host's main thread, the session's; the session outlives the backend.
class SessionBackend final : public ControlBackend {
public:
    SessionBackend(MonitorSession& session, const DataLocations& locations);

    bool Monitors(std::vector<ScannerValues>* monitors) override;
    std::int32_t Save(std::int32_t id, const ScannerValues& values) override;
    bool Delete(std::int32_t id) override;
    bool SetStatus(std::int32_t id, std::int32_t status) override;
    bool LoadLog(LogListModel* rows) override { return store_.LoadLog(rows); }
    bool CancelJob(std::int32_t jobid) override { return store_.CancelJob(jobid); }
    bool Jobs(std::vector<JobRow>* jobs) override { return store_.Jobs(jobs); }
    bool Synchronise(std::int32_t id, std::string* why) override;
    MonitorStateWords StateOf(std::int32_t id) override;
    std::string TemporaryFolder() override { return temporaryFolder_; }
    // The session is told of the files written, so it does not back them up as new versions.
    RestoreResult Restore(const ScannerValues& monitor, const std::vector<RestoreItem>& items,
                          const std::string& path) override;

private:
    MonitorSession& session_;
    DatabaseStore store_;
    std::string databasePath_;
    std::string temporaryFolder_;
};

// Thread contract: one thread. Synchronising is refused: copies need a host to carry them out.
class DatabaseBackend final : public ControlBackend {
public:
    DatabaseBackend(const DataLocations& locations, bool createIfMissing)
        : store_(locations.databasePath, createIfMissing), databasePath_(locations.databasePath),
          temporaryFolder_(locations.tempFilePath) {}

    bool Monitors(std::vector<ScannerValues>* monitors) override { return store_.Monitors(monitors); }
    std::int32_t Save(std::int32_t id, const ScannerValues& values) override;
    bool Delete(std::int32_t id) override { return store_.Delete(id); }
    bool SetStatus(std::int32_t id, std::int32_t status) override { return store_.SetStatus(id, status); }
    bool LoadLog(LogListModel* rows) override { return store_.LoadLog(rows); }
    bool CancelJob(std::int32_t jobid) override { return store_.CancelJob(jobid); }
    bool Jobs(std::vector<JobRow>* jobs) override { return store_.Jobs(jobs); }
    bool Synchronise(std::int32_t id, std::string* why) override;
    // No host runs, so nothing is watched.
    MonitorStateWords StateOf(std::int32_t) override { return {"not running", "no replication host runs"}; }
    std::string TemporaryFolder() override { return temporaryFolder_; }
    RestoreResult Restore(const ScannerValues& monitor, const std::vector<RestoreItem>& items,
                          const std::string& path) override;

private:
    DatabaseStore store_;
    std::string databasePath_;
    std::string temporaryFolder_;
};

}  // namespace pellmar::ctl
