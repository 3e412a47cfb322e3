// What the configuration window calls on in the Qt program: the updater start, the real session,
// the autostart entry, and the setup dialog and event log window made for one use each.
// Owns nothing beyond one call. Main thread.
#pragma once

#include "platform/AppWindow.h"
#include "tray/monitor/FolderMonitor.h"
#include "tray/ui/MainFormView.h"

#include <functional>

class QWidget;

namespace pellmar {

class QtErrorReporter;

class QtMainFormServices : public MainFormServices {
public:
    QtMainFormServices(QWidget* owner, QtErrorReporter& reporter, FolderMonitorTimings timings = {});

    // The application window's handle for the updater's command line (0: none).
    void SetAppWindow(platform::WindowHandle handle) { appWindow_ = handle; }

    void InstallStagedUpdater() override;
    void LaunchUpdater() override;
    std::unique_ptr<MonitorSession> CreateSession() override;
    bool ReadAutostart(bool current) override;
    void WriteAutostart(bool autostart) override;
    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing) override;
    void RunLogWindow(MonitorSession& session) override;
    void ExitStarted() override;

private:
    QWidget* owner_;
    QtErrorReporter& reporter_;
    FolderMonitorTimings timings_;
    platform::WindowHandle appWindow_ = 0;
};

}  // namespace pellmar
