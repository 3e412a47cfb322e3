// The three requirements a folder monitor's values must meet before they are saved, with the
// texts the setup dialog shows, in the dialog's order. Shared by the dialog and the command line,
// so both refuse the same values with the same words. Pure.
#pragma once

#include <vector>

#include "tray/model/ScannerValues.h"

namespace pellmar {

inline constexpr const char* kTipNoFilter = "At least on file type filter must be specified.";
inline constexpr const char* kTipNoBackup = "A valid path for the folder used as the backup location must be specified.";
inline constexpr const char* kTipNoMonitor = "A valid path for the folder to monitor must be specified.";

enum class SetupField { Filters, BackupFolder, MonitoredFolder };

struct SetupProblem {
    SetupField field;
    const char* text;
};

// Every requirement is checked, every time; empty when the values may be saved. Only emptiness
// counts: a folder that does not exist passes (its monitor reports that when it starts).
std::vector<SetupProblem> CheckSetupRequirements(const ScannerValues& values);

}  // namespace pellmar
