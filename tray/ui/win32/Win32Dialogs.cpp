// One use of a dialog: view, presenter and prompter live for the call only.
#include "tray/ui/win32/Win32Dialogs.h"

#include "tray/ui/win32/Win32Prompter.h"
#include "tray/ui/win32/frmLogForm.h"
#include "tray/ui/win32/frmRestoreForm.h"
#include "tray/ui/win32/frmScannerForm.h"

namespace pellmar {

std::optional<ScannerValues> RunScannerDialog(HWND owner, const ScannerValues* existing,
                                             const std::vector<ScannerValues>& others) {
    ScannerForm dialog(owner);
    Win32Prompter prompter(dialog.Window());
    ScannerFormPresenter presenter(dialog, prompter);
    presenter.SetOtherMonitors(others);
    dialog.SetPresenter(&presenter);
    presenter.Load(existing);
    dialog.RunModal();
    return presenter.Result();
}

void RunLogDialog(HWND owner, LogStore& store) {
    LogForm window(owner);
    LogFormPresenter presenter(window, store);
    window.SetPresenter(&presenter);
    window.ShowModal();
}

void RunRestoreDialog(HWND owner, MonitorSession& session, MonitorId monitor, platform::Dispatcher& dispatcher) {
    RestoreForm window(owner);
    Win32Prompter prompter(window.Window());
    RestoreFormPresenter presenter(window, session, prompter, dispatcher);
    window.SetPresenter(&presenter);
    window.ShowModal(monitor);
}

}  // namespace pellmar
