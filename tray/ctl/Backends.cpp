// In a host, monitors change only through the session, so a change takes effect at once and the
// session's list stays the truth; the database file is read directly only for the log and jobs.
#include "tray/ctl/Backends.h"

#include "tray/session/MonitorSession.h"
#include "tray/session/HostRestore.h"

namespace pellmar::ctl {
SessionBackend::SessionBackend(MonitorSession& session, const DataLocations& locations)
    : session_(session), store_(locations.databasePath, false), databasePath_(locations.databasePath),
      temporaryFolder_(locations.tempFilePath) {}

bool SessionBackend::Monitors(std::vector<ScannerValues>* monitors) {
    monitors->clear();
    for (const MonitorId id : session_.Monitors())
        if (std::optional<ScannerValues> values = session_.Values(id)) monitors->push_back(*values);
    return true;
}

std::int32_t SessionBackend::Save(std::int32_t id, const ScannerValues& values) { return session_.Save(id, values); }

bool SessionBackend::Delete(std::int32_t id) { return session_.Delete(id); }

bool SessionBackend::SetStatus(std::int32_t id, std::int32_t status) { return session_.SetStatus(id, status); }

bool SessionBackend::Synchronise(std::int32_t id, std::string* why) { return session_.Synchronise(id, why); }

MonitorStateWords SessionBackend::StateOf(std::int32_t id) {
    const MonitorStatus status = session_.StatusOf(id);
    return {MonitorStateText(status.state), status.reason};
}

// The restore blocks the main thread, so no change of its writes is handled before the session
// has been told of them.
RestoreResult SessionBackend::Restore(const ScannerValues& monitor, const std::vector<RestoreItem>& items,
                                      const std::string& path) {
    RestoreDatabase database(databasePath_);
    RestoreResult result = RestoreAndLog(database, monitor, items, path);
    session_.IgnoreOwnWrites(WrittenTargets(result));
    return result;
}

RestoreResult DatabaseBackend::Restore(const ScannerValues& monitor, const std::vector<RestoreItem>& items,
                                       const std::string& path) {
    RestoreDatabase database(databasePath_);
    return RestoreAndLog(database, monitor, items, path);
}

std::int32_t DatabaseBackend::Save(std::int32_t id, const ScannerValues& values) {
    if (id == 0) return store_.Insert(values);
    ScannerValues stored = values;
    stored.id = id;
    return store_.Update(stored) ? id : 0;
}

bool DatabaseBackend::Synchronise(std::int32_t, std::string* why) {
    *why = "synchronising needs a running host to copy the files; start one (systemctl --user start pellmard, "
           "or Pellmar) and run this again";
    return false;
}

}  // namespace pellmar::ctl
