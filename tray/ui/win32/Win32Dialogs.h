// The setup dialog and the event log window, each made for one use, shown modally over `owner`
// and destroyed afterwards: what the configuration window's "Add"/"Edit" and "View Log" run.
// Main thread.
#pragma once

#include "tray/model/ScannerValues.h"
#include "tray/session/MonitorSession.h"

#include <windows.h>

#include <optional>

namespace pellmar {

// For a new monitor (existing == nullptr) or an existing one; the values read back after OK,
// nothing when the dialog closed any other way.
std::optional<ScannerValues> RunScannerDialog(HWND owner, const ScannerValues* existing,
                                             const std::vector<ScannerValues>& others = {});
void RunLogDialog(HWND owner, LogStore& store);

}  // namespace pellmar
