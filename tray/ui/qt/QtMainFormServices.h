// What the configuration window calls on in the Qt program: the shared services, and the setup
// dialog and event log window made for one use each. Owns nothing beyond one call. Main thread.
#pragma once

#include "tray/ui/ShellMainFormServices.h"

class QWidget;

namespace pellmar {

class QtMainFormServices : public ShellMainFormServices {
public:
    QtMainFormServices(QWidget* owner, MainThreadErrorReporter& reporter)
        : ShellMainFormServices(reporter), owner_(owner) {}

    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override;
    void RunLogWindow(MonitorSession& session) override;
    bool Confirm(const std::string& question) override;

private:
    QWidget* owner_;
};

}  // namespace pellmar
