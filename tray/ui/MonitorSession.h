// What the windows need of the folder monitor session and of the event log store, as two small
// interfaces, so the presenters run against fakes in tests. The session adapter over
// FolderMonitor lives in FolderMonitorSession; this header owns no behaviour.
#pragma once

#include <cstdint>
#include <memory>

#include "tray/model/ScannerValues.h"
#include "tray/log/LogList.h"
#include "tray/monitor/MonitorStates.h"

namespace pellmar {

// Names one monitor of the session; the session owns it, the list rows only refer to it.
using MonitorHandle = void*;

// Thread contract: main thread only, like every FolderMonitor operation.
class LogStore {
public:
    virtual ~LogStore() = default;
    virtual int LoadLogEntries(LogListModel& list) = 0;
    virtual void CancelJob(std::int32_t jobid) = 0;
    // Changes whenever an entry is logged; -1 when the log cannot be read.
    virtual std::int64_t NewestEntryId() = 0;
};

// Thread contract: main thread only. Handles stay valid until the monitor is deleted or the
// session is destroyed.
class MonitorSession {
public:
    virtual ~MonitorSession() = default;
    virtual void Start() = 0;
    virtual int Count() const = 0;
    virtual MonitorHandle Item(int index) const = 0;
    virtual ScannerValues Values(MonitorHandle monitor) const = 0;
    // Stores the values: a new monitor when `monitor` is null; returns the saved monitor.
    virtual MonitorHandle Save(MonitorHandle monitor, const ScannerValues& values) = 0;
    virtual void Delete(MonitorHandle monitor) = 0;
    // Changes the stored and shown status only; a running monitor keeps watching.
    virtual void SetStatus(MonitorHandle monitor, std::int32_t status) = 0;
    // What the monitor is doing now (watching, catching up, waiting for its folder, ...).
    virtual MonitorStatus StatusOf(MonitorHandle monitor) const = 0;
    virtual void StopMonitoring() = 0;
    // The event log store over the session's database, for one showing of the log window.
    virtual std::unique_ptr<LogStore> OpenLogStore() = 0;
};

}  // namespace pellmar
