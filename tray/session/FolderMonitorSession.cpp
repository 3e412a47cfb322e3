// MonitorSession over FolderMonitor, by row id. The log store opens the session's database file
// through a database object of its own (the main thread's), never one of the worker threads'.
#include "tray/session/FolderMonitorSession.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/log/LogData.h"
#include "tray/session/MonitorRecord.h"

namespace pellmar {
namespace {

class SessionLogStore final : public LogStore {
public:
    explicit SessionLogStore(const std::string& databasePath)
        : database_(databasePath, false),
          query_(database_.CreateSession(std::string(kFolderMonitorSessionName)).CreateQuery()),
          log_(query_, databasePath) {
        database_.SetOnBusy(GiveUpAfterTenRetries());
        database_.Close();
    }
    int LoadLogEntries(LogListModel& list) override { return log_.LoadLogEntries(list); }
    void CancelJob(std::int32_t jobid) override { log_.CancelJob(jobid); }
    std::int64_t NewestEntryId() override { return log_.NewestEntryId(); }

private:
    SQLiteDatabase database_;
    SQLiteQuery& query_;
    LogData log_;
};

}  // namespace

FolderMonitorSession::FolderMonitorSession(platform::Dispatcher& dispatcher, FolderMonitorTimings timings,
                                           ScannerEngines engines)
    : monitor_(std::make_unique<FolderMonitor>(dispatcher, timings, std::move(engines))) {}

FolderMonitorSession::~FolderMonitorSession() = default;

void FolderMonitorSession::Start() { monitor_->Start(); }

std::vector<MonitorId> FolderMonitorSession::Monitors() const {
    std::vector<MonitorId> ids;
    for (int index = 0; index < monitor_->Count(); ++index) ids.push_back(monitor_->Items(index)->GetId());
    return ids;
}

std::optional<ScannerValues> FolderMonitorSession::Values(MonitorId monitor) const {
    const FolderScanner* scanner = monitor_->Find(monitor);
    if (!scanner) return std::nullopt;
    return MonitorValues(*scanner);
}

MonitorId FolderMonitorSession::Save(MonitorId monitor, const ScannerValues& values) {
    FolderScanner* existing = monitor_->Find(monitor);
    if (monitor != 0 && !existing) return 0;
    const FolderScanner* saved = monitor_->SaveFolderItem(existing, values);
    return saved ? saved->GetId() : 0;
}

bool FolderMonitorSession::Delete(MonitorId monitor) { return monitor_->DeleteFolderItem(monitor_->Find(monitor)); }

bool FolderMonitorSession::SetStatus(MonitorId monitor, std::int32_t status) {
    return monitor_->SetMonitorStatus(monitor_->Find(monitor), status);
}

MonitorStatus FolderMonitorSession::StatusOf(MonitorId monitor) const {
    return monitor_->StatusOf(monitor_->Find(monitor));
}

bool FolderMonitorSession::Synchronise(MonitorId monitor, std::string* why) {
    FolderScanner* scanner = monitor_->Find(monitor);
    if (!scanner) {
        *why = "no monitor with the id " + std::to_string(monitor);
        return false;
    }
    if (monitor_->SynchroniseMonitor(scanner)) return true;
    *why = "the monitor is " + MonitorStateText(monitor_->StatusOf(scanner).state) +
           ", so its folder cannot be compared now";
    return false;
}

void FolderMonitorSession::StopMonitoring() { monitor_->StopMonitoring(); }

std::unique_ptr<LogStore> FolderMonitorSession::OpenLogStore() {
    return std::make_unique<SessionLogStore>(monitor_->Locations().databasePath);
}

}  // namespace pellmar
