// The texts the configuration window shows for one folder monitor: its list row and its details
// pane. Pure functions of the stored values; no toolkit, no session.
#pragma once

#include <string>

#include "tray/model/ScannerValues.h"
#include "tray/session/MonitorStates.h"

namespace pellmar {

struct MonitorRowTexts {
    std::string folder;  // "Monitored Folder"
    std::string types;   // "Monitored Types"
    std::string status;  // "Status"
    std::string statusTip;  // the state in full, with its reason: the column is narrow
};

struct MonitorDetails {
    std::string deletions;
    std::string versions;
    std::string filters;
    std::string exceptions;
    std::string root;
    std::string backuppath;
    std::string exclusive;
    std::string subfolders;
    std::string status;
};

// The row and the pane with what the monitor is doing now: the list says "Active" only while it
// hears changes and its backup folder takes them, and otherwise what keeps it from that.
MonitorRowTexts MonitorRow(const ScannerValues& values, const MonitorStatus& status);
MonitorDetails DetailsOf(const ScannerValues& values, const MonitorStatus& status);
// "Active", "Disabled", or the state in words ("Catching up", "Backup offline", ...).
std::string StatusColumnText(const MonitorStatus& status);

// A list cell's tooltip, column 0 to 2: its text in full, the status with its reason.
std::string CellTip(const MonitorRowTexts& row, int column);

// "No", or "Yes, <n> versions maximum".
std::string VersionsText(bool hasversions, std::int32_t maxversions);

}  // namespace pellmar
