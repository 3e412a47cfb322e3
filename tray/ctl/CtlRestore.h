// pellmarctl's versions and restore: finding the monitor of a path, listing what its backup holds
// and restoring a file to a version or a folder to a point in time, with the replies' texts.
// Runs where the backend lives, as every command does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tray/ctl/CtlExecute.h"

namespace pellmar::ctl {

// The monitor whose folder holds `path` (the innermost one when folders are nested); a path in
// a sub-folder of a monitor without sub-folders is not its.
std::optional<ScannerValues> MonitorOfPath(const std::vector<ScannerValues>& monitors, const std::string& path);

CtlReply ListVersions(const CtlCommand& command, ControlBackend& backend);
CtlReply RestorePath(const CtlCommand& command, ControlBackend& backend);

// "2026-12-09T14:05:30"
std::string IsoLocalTime(DateTime t);

}  // namespace pellmar::ctl
