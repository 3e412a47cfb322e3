// What the configuration window calls on in the Qt program: the shared services, and the setup
// dialog, event log and restore windows made for one use each. Owns nothing beyond one call. Main thread.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/ui/ShellMainFormServices.h"

class QWidget;

namespace pellmar {

class QtMainFormServices : public ShellMainFormServices {
public:
    QtMainFormServices(QWidget* owner, MainThreadErrorReporter& reporter, platform::Dispatcher& dispatcher)
        : ShellMainFormServices(reporter), owner_(owner), dispatcher_(dispatcher) {}

    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override;
    void RunLogWindow(MonitorSession& session) override;
    void RunRestoreWindow(MonitorSession& session, MonitorId monitor) override;
    bool Confirm(const std::string& question) override;

private:
    QWidget* owner_;
    platform::Dispatcher& dispatcher_;  // hands the restore's progress to the main thread
};

}  // namespace pellmar
