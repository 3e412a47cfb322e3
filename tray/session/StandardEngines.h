// The change engines a host offers its session: change records (inotify, ReadDirectoryChangesW)
// and change signals with snapshots, for file systems that report no changes made elsewhere.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/monitor/ScannerFactory.h"

namespace pellmar {

// Both engines, handing over through `dispatcher`, which outlives every scanner they make.
ScannerEngines StandardEngines(platform::Dispatcher& dispatcher);

}  // namespace pellmar
