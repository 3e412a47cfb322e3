// The tray program `Pellmar` brought up and down in order: the application window "Pellmar" that
// the updater and the uninstall helper close, the configuration window with its tray icon, and
// from the end of its construction the updater start and the replication session. Owns every
// piece of one run; needs a QApplication on the calling (main) thread.
#pragma once

#include "platform/AppWindow.h"
#include "tray/monitor/FolderMonitor.h"
#include "tray/ui/MainFormPresenter.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace pellmar {

namespace ctl {
class ControlServer;
}

class MainForm;
class QtDispatcher;
class QtErrorReporter;
class TrayIcon;
class TrayServices;

struct TrayOptions {
    FolderMonitorTimings timings;
    // Replaces the setup dialog (tests answer it); empty: the real dialog.
    std::function<std::optional<ScannerValues>(const ScannerValues*)> setupDialog;
};

class TrayProgram {
public:
    explicit TrayProgram(TrayOptions options = {});
    ~TrayProgram();
    TrayProgram(const TrayProgram&) = delete;
    TrayProgram& operator=(const TrayProgram&) = delete;

    // Start-up up to the message loop: the caller runs the loop until Closed().
    void Start();
    // The configuration window has accepted its close: the session is stopped and gone.
    bool Closed() const { return closed_; }

    MainFormPresenter& Presenter() { return *presenter_; }
    MainForm& Window() { return *window_; }
    platform::WindowHandle AppWindowHandle() const;

private:
    void RegisterAppWindow();
    void StartControlServer();
    FolderMonitor* RunningSession() const;

    TrayOptions options_;
    std::unique_ptr<QtDispatcher> dispatcher_;
    std::unique_ptr<QtErrorReporter> reporter_;
    std::stop_source appWindowStop_;
    std::unique_ptr<platform::AppWindow> appWindow_;
    std::unique_ptr<MainForm> window_;
    std::unique_ptr<TrayServices> services_;
    std::unique_ptr<MainFormPresenter> presenter_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<ctl::ControlServer> control_;
    bool closed_ = false;
};

// The whole program: display check, Qt application, one run; returns the process exit code.
int RunTrayProgram(int argc, char** argv);

}  // namespace pellmar
