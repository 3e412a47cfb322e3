// The setup requirements in the order the dialog checks them, so its pointer ends on the last one.
#include "tray/model/SetupRequirements.h"

namespace pellmar {

std::vector<SetupProblem> CheckSetupRequirements(const ScannerValues& values) {
    std::vector<SetupProblem> problems;
    if (values.filters.empty()) problems.push_back({SetupField::Filters, kTipNoFilter});
    if (values.backuppath.empty()) problems.push_back({SetupField::BackupFolder, kTipNoBackup});
    if (values.root.empty()) problems.push_back({SetupField::MonitoredFolder, kTipNoMonitor});
    return problems;
}

}  // namespace pellmar
