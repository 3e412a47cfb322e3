// What pellmarctl's commands need of the replication data, whoever holds it: the running host's
// session (SessionBackend) or, with no host, the database file itself (DatabaseBackend). Owns no
// behaviour; the commands' checks and words live in CtlExecute.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tray/log/LogList.h"
#include "tray/model/ChangeEvent.h"
#include "tray/model/ScannerValues.h"
#include "tray/restore/Restore.h"

namespace pellmar::ctl {

struct JobRow {
    ChangeEvent job;
    bool deferred = false;
    std::int64_t scheduled = 0;  // local seconds since 1970
    std::int32_t retries = 0;
};

// What a monitor is doing now, in the words pellmarctl prints ("watching", ...), and why when
// the state alone does not say it.
struct MonitorStateWords {
    std::string state;
    std::string reason;
};

// Thread contract: one thread, the one that made the backend (a host's main thread). A failed
// statement has been reported through the process's error reporter when a call returns false.
class ControlBackend {
public:
    virtual ~ControlBackend() = default;

    // Every monitor in the session's order; false when they cannot be read.
    virtual bool Monitors(std::vector<ScannerValues>* monitors) = 0;
    // Saves the values for the monitor `id` (0: a new one); the id of the stored monitor, or 0.
    virtual std::int32_t Save(std::int32_t id, const ScannerValues& values) = 0;
    virtual bool Delete(std::int32_t id) = 0;
    // Stored status only, as the configuration window's Enable and Disable.
    virtual bool SetStatus(std::int32_t id, std::int32_t status) = 0;
    // Every log entry, newest first; false when the log cannot be read.
    virtual bool LoadLog(LogListModel* rows) = 0;
    virtual bool CancelJob(std::int32_t jobid) = 0;
    virtual bool Jobs(std::vector<JobRow>* jobs) = 0;
    // "Synchronise now" for the monitor: true once the comparison has begun (the log will say how
    // many copies it queued); false when it cannot begin, with `why` saying so.
    virtual bool Synchronise(std::int32_t id, std::string* why) = 0;
    virtual MonitorStateWords StateOf(std::int32_t id) = 0;
    // Where versions wait while their backup folder is offline; ends in a delimiter.
    virtual std::string TemporaryFolder() = 0;
    // Writes the items of the monitor back (RunRestore) and logs one Information entry with the
    // count, naming `path` and where the copies came from.
    virtual RestoreResult Restore(const ScannerValues& monitor, const std::vector<RestoreItem>& items,
                                  const std::string& path) = 0;
};

}  // namespace pellmar::ctl
