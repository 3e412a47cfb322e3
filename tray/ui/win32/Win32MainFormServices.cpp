// The configuration window's dialogs in the Win32 program.
#include "tray/ui/win32/Win32MainFormServices.h"

#include "platform/win32/WideText.h"
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

void Win32MainFormServices::RunRestoreWindow(MonitorSession& session, MonitorId monitor) {
    RunRestoreDialog(owner_, session, monitor, dispatcher_);
}

bool Win32MainFormServices::Confirm(const std::string& question) {
    return MessageBoxW(owner_, platform::win32::Widen(question).c_str(), L"Pellmar",
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace pellmar
