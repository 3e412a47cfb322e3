// The one interface to a running replication session that the windows and pellmarctl's control
// server both call, with monitors named by their row id in table `scanners`. FolderMonitorSession
// is the real one; the presenters run against fakes in tests. The event log store is a second,
// small interface over the session's database.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tray/log/LogList.h"
#include "tray/model/ScannerValues.h"
#include "tray/session/MonitorStates.h"
#include "tray/session/SessionSummary.h"
#include "tray/shell/DataLocations.h"

namespace pellmar {

// A monitor's row id; 0 names no monitor (a new one, to Save).
using MonitorId = std::int32_t;

// Thread contract: main thread only, like every FolderMonitor operation.
class LogStore {
public:
    virtual ~LogStore() = default;
    virtual int LoadLogEntries(LogListModel& list) = 0;
    virtual void CancelJob(std::int32_t jobid) = 0;
    // Changes whenever an entry is logged; -1 when the log cannot be read.
    virtual std::int64_t NewestEntryId() = 0;
};

// Thread contract: main thread only. A change that cannot be stored has been reported through the
// process's error reporter when a call returns false or 0, and the monitors are as they were.
class MonitorSession {
public:
    virtual ~MonitorSession() = default;
    virtual void Start() = 0;
    // Every monitor's id, in the session's order.
    virtual std::vector<MonitorId> Monitors() const = 0;
    // The monitor's settings; nothing for an unknown id.
    virtual std::optional<ScannerValues> Values(MonitorId monitor) const = 0;
    // Stores the values (not their id): a new monitor when `monitor` is 0. The saved monitor's
    // id, or 0 when nothing was stored or `monitor` is unknown.
    virtual MonitorId Save(MonitorId monitor, const ScannerValues& values) = 0;
    virtual bool Delete(MonitorId monitor) = 0;
    // Stores the status and acts on it: 0 stops the monitor, 1 starts it and catches up.
    virtual bool SetStatus(MonitorId monitor, std::int32_t status) = 0;
    // What the monitor is doing now (watching, catching up, waiting for its folder, ...).
    virtual MonitorStatus StatusOf(MonitorId monitor) const = 0;
    // "Synchronise now": true once the comparison with the backup has begun; otherwise false
    // with `why` saying so.
    virtual bool Synchronise(MonitorId monitor, std::string* why) = 0;
    // The jobs waiting, the last backup and the newest error, read now.
    virtual SessionSummary Summary() const = 0;
    virtual void StopMonitoring() = 0;
    // The files were just written into monitored folders by the host itself (a restore): the
    // changes heard of them now are not backed up as the user's.
    virtual void IgnoreOwnWrites(const std::vector<std::string>& paths) = 0;
    // The event log store over the session's database, for one showing of the log window.
    virtual std::unique_ptr<LogStore> OpenLogStore() = 0;
    // Where the session keeps its database and parks versions.
    virtual const DataLocations& Locations() const = 0;
};

}  // namespace pellmar
