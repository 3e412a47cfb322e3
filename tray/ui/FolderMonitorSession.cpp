// MonitorSession over FolderMonitor. The log store opens the session's database file through a
// database object of its own (the main thread's), never one of the worker threads'.
#include "tray/ui/FolderMonitorSession.h"

#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/log/LogData.h"
#include "tray/monitor/MonitorRecord.h"

namespace pellmar {
namespace {

FolderScanner* Scanner(MonitorHandle monitor) { return static_cast<FolderScanner*>(monitor); }

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

FolderMonitorSession::FolderMonitorSession(platform::Dispatcher& dispatcher, FolderMonitorTimings timings)
    : monitor_(std::make_unique<FolderMonitor>(dispatcher, timings)) {}

FolderMonitorSession::~FolderMonitorSession() = default;

void FolderMonitorSession::Start() { monitor_->Start(); }
int FolderMonitorSession::Count() const { return monitor_->Count(); }
MonitorHandle FolderMonitorSession::Item(int index) const { return monitor_->Items(index); }
ScannerValues FolderMonitorSession::Values(MonitorHandle monitor) const { return MonitorValues(*Scanner(monitor)); }

MonitorHandle FolderMonitorSession::Save(MonitorHandle monitor, const ScannerValues& values) {
    return monitor_->SaveFolderItem(Scanner(monitor), values);
}

void FolderMonitorSession::Delete(MonitorHandle monitor) { monitor_->DeleteFolderItem(Scanner(monitor)); }

void FolderMonitorSession::SetStatus(MonitorHandle monitor, std::int32_t status) {
    Scanner(monitor)->SetStatus(status);
    monitor_->UpdateStatus(Scanner(monitor));
}

MonitorStatus FolderMonitorSession::StatusOf(MonitorHandle monitor) const {
    return monitor_->StatusOf(Scanner(monitor));
}

void FolderMonitorSession::StopMonitoring() { monitor_->StopMonitoring(); }

std::unique_ptr<LogStore> FolderMonitorSession::OpenLogStore() {
    return std::make_unique<SessionLogStore>(monitor_->Locations().databasePath);
}

}  // namespace pellmar
