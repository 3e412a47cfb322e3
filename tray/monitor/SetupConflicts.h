// Setups that pass the three requirements and still could never back anything up: a backup
// folder that is the monitored folder (also through a trailing delimiter, ".." or a link), one
// folder inside the other, monitors that back up into each other or one after another, and a
// mask the mask language cannot read. Checked after the three requirements, by the setup dialog
// and pellmarctl alike, so both refuse the same values with the same words. Any thread.
#pragma once

#include <vector>

#include "tray/model/ScannerValues.h"
#include "tray/model/SetupRequirements.h"

namespace pellmar {

struct SetupConflict {
    SetupField field;
    std::string text;
};

// `others`: the other monitors of the session (the one being edited left out). Empty when the
// values can work; folders that do not exist yet are compared by their names.
std::vector<SetupConflict> CheckSetupConflicts(const ScannerValues& values, const std::vector<ScannerValues>& others);

}  // namespace pellmar
