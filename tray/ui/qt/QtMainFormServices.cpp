// The configuration window's dialogs in the Qt program.
#include "tray/ui/qt/QtMainFormServices.h"

#include "tray/ui/LogFormPresenter.h"
#include "tray/ui/RestoreFormPresenter.h"
#include "tray/ui/ScannerFormPresenter.h"
#include "tray/ui/qt/QtPrompter.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmRestoreForm.h"
#include "tray/ui/qt/frmScannerForm.h"
#include "tray/ui/qt/QtControls.h"

#include <QMessageBox>

namespace pellmar {

std::optional<ScannerValues> QtMainFormServices::RunSetupDialog(const ScannerValues* existing,
                                                                const std::vector<ScannerValues>& others) {
    ScannerForm dialog(owner_);
    QtPrompter prompter(&dialog);
    ScannerFormPresenter presenter(dialog, prompter);
    presenter.SetOtherMonitors(others);
    dialog.SetPresenter(&presenter);
    presenter.Load(existing);
    dialog.exec();
    return presenter.Result();
}

void QtMainFormServices::RunLogWindow(MonitorSession& session) {
    std::unique_ptr<LogStore> store = session.OpenLogStore();
    LogForm window(owner_);
    LogFormPresenter presenter(window, *store);
    window.SetPresenter(&presenter);
    window.exec();
}

void QtMainFormServices::RunRestoreWindow(MonitorSession& session, MonitorId monitor) {
    RestoreForm window(owner_);
    QtPrompter prompter(&window);
    RestoreFormPresenter presenter(window, session, prompter, dispatcher_);
    window.SetPresenter(&presenter, monitor);
    window.exec();
}

bool QtMainFormServices::Confirm(const std::string& question) {
    return QMessageBox::question(owner_, "Pellmar", ToQt(question), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace pellmar
