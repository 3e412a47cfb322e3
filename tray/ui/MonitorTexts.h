// The texts the configuration window shows for one folder monitor: its list row and its details
// pane. Pure functions of the stored values; no toolkit, no session.
#pragma once

#include <string>

#include "tray/model/ScannerValues.h"

namespace pellmar {

struct MonitorRowTexts {
    std::string folder;  // "Monitored Folder"
    std::string types;   // "Monitored Types"
    std::string status;  // "Status"
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

MonitorRowTexts MonitorRow(const ScannerValues& values);
MonitorDetails DetailsOf(const ScannerValues& values);

// "No", or "Yes, <n> versions maximum".
std::string VersionsText(bool hasversions, std::int32_t maxversions);

}  // namespace pellmar
