// In a host, monitors change only through FolderMonitor, so a change takes effect at once and the
// session's list stays the truth; the database file is read directly only for the log and jobs.
#include "tray/ctl/Backends.h"

#include "tray/monitor/FolderMonitor.h"
#include "tray/monitor/MonitorRecord.h"

namespace pellmar::ctl {

SessionBackend::SessionBackend(FolderMonitor& session)
    : session_(session), store_(session.Locations().databasePath, false) {}

FolderScanner* SessionBackend::Find(std::int32_t id) const {
    for (int index = 0; index < session_.Count(); ++index) {
        if (session_.Items(index)->GetId() == id) return session_.Items(index);
    }
    return nullptr;
}

bool SessionBackend::Monitors(std::vector<ScannerValues>* monitors) {
    monitors->clear();
    for (int index = 0; index < session_.Count(); ++index) monitors->push_back(MonitorValues(*session_.Items(index)));
    return true;
}

std::int32_t SessionBackend::Save(std::int32_t id, const ScannerValues& values) {
    FolderScanner* existing = id == 0 ? nullptr : Find(id);
    if (id != 0 && !existing) return 0;
    FolderScanner* saved = session_.SaveFolderItem(existing, values);
    return saved ? saved->GetId() : 0;
}

bool SessionBackend::Delete(std::int32_t id) {
    FolderScanner* monitor = Find(id);
    if (monitor) session_.DeleteFolderItem(monitor);
    return monitor != nullptr;
}

bool SessionBackend::SetStatus(std::int32_t id, std::int32_t status) {
    FolderScanner* monitor = Find(id);
    if (!monitor) return false;
    monitor->SetStatus(status);
    session_.UpdateStatus(monitor);
    return true;
}

bool SessionBackend::Synchronise(std::int32_t id, std::string* why) {
    FolderScanner* monitor = Find(id);
    if (!monitor) {
        *why = "no monitor with the id " + std::to_string(id);
        return false;
    }
    if (session_.SynchroniseMonitor(monitor)) return true;
    *why = "the monitor is " + MonitorStateText(session_.StatusOf(monitor).state) +
           ", so its folder cannot be compared now";
    return false;
}

MonitorStateWords SessionBackend::StateOf(std::int32_t id) {
    const MonitorStatus status = session_.StatusOf(Find(id));
    return {MonitorStateText(status.state), status.reason};
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
