// The real MonitorSession: FolderMonitor with its monitors named by row id, and the event log
// store over a database object of its own on the main thread. Owns the FolderMonitor.
#pragma once

#include <memory>

#include "tray/session/FolderMonitor.h"
#include "tray/session/MonitorSession.h"

namespace pellmar {

// Thread contract: main thread only (FolderMonitor's thread).
class FolderMonitorSession final : public MonitorSession {
public:
    explicit FolderMonitorSession(platform::Dispatcher& dispatcher, FolderMonitorTimings timings = {},
                                  ScannerEngines engines = {});
    ~FolderMonitorSession() override;

    void Start() override;
    std::vector<MonitorId> Monitors() const override;
    std::optional<ScannerValues> Values(MonitorId monitor) const override;
    MonitorId Save(MonitorId monitor, const ScannerValues& values) override;
    bool Delete(MonitorId monitor) override;
    bool SetStatus(MonitorId monitor, std::int32_t status) override;
    MonitorStatus StatusOf(MonitorId monitor) const override;
    bool Synchronise(MonitorId monitor, std::string* why) override;
    SessionSummary Summary() const override { return ReadSessionSummary(monitor_->Locations().databasePath); }
    void StopMonitoring() override;
    void IgnoreOwnWrites(const std::vector<std::string>& paths) override { monitor_->IgnoreOwnWrites(paths); }
    std::unique_ptr<LogStore> OpenLogStore() override;

    const DataLocations& Locations() const override { return monitor_->Locations(); }

private:
    std::unique_ptr<FolderMonitor> monitor_;
};

}  // namespace pellmar
