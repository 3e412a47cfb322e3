// The windows' view of the real folder monitor session: MonitorSession over FolderMonitor, and
// the event log store over a database object of its own on the main thread. Owns the session.
#pragma once

#include <memory>

#include "tray/monitor/FolderMonitor.h"
#include "tray/ui/MonitorSession.h"

namespace pellmar {

// Thread contract: main thread only (FolderMonitor's thread).
class FolderMonitorSession final : public MonitorSession {
public:
    explicit FolderMonitorSession(platform::Dispatcher& dispatcher, FolderMonitorTimings timings = {});
    ~FolderMonitorSession() override;

    void Start() override;
    int Count() const override;
    MonitorHandle Item(int index) const override;
    ScannerValues Values(MonitorHandle monitor) const override;
    MonitorHandle Save(MonitorHandle monitor, const ScannerValues& values) override;
    void Delete(MonitorHandle monitor) override;
    void SetStatus(MonitorHandle monitor, std::int32_t status) override;
    MonitorStatus StatusOf(MonitorHandle monitor) const override;
    void StopMonitoring() override;
    std::unique_ptr<LogStore> OpenLogStore() override;

    FolderMonitor& Monitor() { return *monitor_; }

private:
    std::unique_ptr<FolderMonitor> monitor_;
};

}  // namespace pellmar
