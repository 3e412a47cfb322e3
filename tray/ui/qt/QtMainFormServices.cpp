// The configuration window's services in the Qt program.
#include "tray/ui/qt/QtMainFormServices.h"

#include "tray/shell/Autostart.h"
#include "tray/shell/StagedUpdater.h"
#include "tray/shell/UpdaterLaunch.h"
#include "tray/ui/FolderMonitorSession.h"
#include "tray/ui/LogFormPresenter.h"
#include "tray/ui/ScannerFormPresenter.h"
#include "tray/ui/qt/QtErrorReporter.h"
#include "tray/ui/qt/QtPrompter.h"
#include "tray/ui/qt/frmLogForm.h"
#include "tray/ui/qt/frmScannerForm.h"

namespace pellmar {

QtMainFormServices::QtMainFormServices(QWidget* owner, QtErrorReporter& reporter, FolderMonitorTimings timings)
    : owner_(owner), reporter_(reporter), timings_(timings) {}

void QtMainFormServices::InstallStagedUpdater() { pellmar::InstallStagedUpdater(); }

void QtMainFormServices::LaunchUpdater() { pellmar::LaunchUpdater(appWindow_); }

std::unique_ptr<MonitorSession> QtMainFormServices::CreateSession() {
    return std::make_unique<FolderMonitorSession>(timings_);
}

bool QtMainFormServices::ReadAutostart(bool current) {
    pellmar::ReadAutostart(current);
    return current;
}

void QtMainFormServices::WriteAutostart(bool autostart) { pellmar::WriteAutostart(autostart); }

std::optional<ScannerValues> QtMainFormServices::RunSetupDialog(const ScannerValues* existing) {
    ScannerForm dialog(owner_);
    QtPrompter prompter(&dialog);
    ScannerFormPresenter presenter(dialog, prompter);
    dialog.SetPresenter(&presenter);
    if (existing) {
        presenter.LoadExisting(*existing);
    } else {
        presenter.LoadNew();
    }
    dialog.exec();
    if (!presenter.Accepted()) return std::nullopt;
    return presenter.Values();
}

void QtMainFormServices::RunLogWindow(MonitorSession& session) {
    std::unique_ptr<LogStore> store = session.OpenLogStore();
    LogForm window(owner_);
    LogFormPresenter presenter(window, *store);
    window.SetPresenter(&presenter);
    window.exec();
}

void QtMainFormServices::ExitStarted() { reporter_.Release(); }

}  // namespace pellmar
