// The setup dialog, the event log window and the restore window, each made for one use, shown modally over `owner`
// and destroyed afterwards: what the configuration window's "Add"/"Edit", "View Log" and "Restore..." run.
// Main thread.
#pragma once

#include "platform/Dispatcher.h"
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
// The restore window for `monitor` (0: the first); its restore's progress comes through `dispatcher`.
void RunRestoreDialog(HWND owner, MonitorSession& session, MonitorId monitor, platform::Dispatcher& dispatcher);

}  // namespace pellmar
