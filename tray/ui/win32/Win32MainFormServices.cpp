// The configuration window's dialogs in the Win32 program.
#include "tray/ui/win32/Win32MainFormServices.h"

#include "tray/ui/win32/Win32Dialogs.h"

namespace pellmar {

std::optional<ScannerValues> Win32MainFormServices::RunSetupDialog(const ScannerValues* existing,
                                                                   const std::vector<ScannerValues>& others) {
    return RunScannerDialog(owner_, existing, others);
}

void Win32MainFormServices::RunLogWindow(MonitorSession& session) {
    std::unique_ptr<LogStore> store = session.OpenLogStore();
    RunLogDialog(owner_, *store);
}

}  // namespace pellmar
