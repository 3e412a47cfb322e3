// The tray program `Pellmar` brought up and down in order: the application window "Pellmar" that
// the updater and the uninstall helper close, the configuration window with its tray icon, and
// from the end of its construction the updater start and the replication session. Owns every
// piece of one run; the windows, the loop and the main-thread hand-over come from a toolkit.
#pragma once

#include "platform/AppWindow.h"
#include "tray/session/FolderMonitorSession.h"
#include "tray/ui/MainFormPresenter.h"
#include "tray/ui/MainThreadErrorReporter.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace pellmar {

namespace ctl {
class ControlServer;
}
namespace platform {
class HostLock;
}

class TrayServices;

struct TrayOptions {
    FolderMonitorTimings timings;
    // Replaces the setup dialog (tests answer it); empty: the real dialog.
    std::function<std::optional<ScannerValues>(const ScannerValues*)> setupDialog;
};

// What one user-interface toolkit gives the tray program: its main-thread hand-over and error
// box (from construction), the configuration window with its services, the tray icon and the end
// of the message loop. Thread contract: made, used and destroyed on the main thread.
class TrayToolkit {
public:
    virtual ~TrayToolkit() = default;
    virtual platform::Dispatcher& Dispatcher() = 0;
    virtual MainThreadErrorReporter& Reporter() = 0;
    // Builds the configuration window, hidden, and its services; false when it cannot be made.
    virtual bool BuildWindow(platform::WindowHandle appWindow) = 0;
    virtual MainFormView& View() = 0;
    virtual MainFormServices& Services() = 0;
    // Hands the window to the presenter and builds the tray icon; `onClosed` runs once the window
    // has accepted its close (the program is exiting).
    virtual void Connect(MainFormPresenter& presenter, std::function<void()> onClosed) = 0;
    // False when there is no tray to show the icon in.
    virtual bool ShowTrayIcon() = 0;
    virtual void RemoveTrayIcon() = 0;
    // The tray icon, the window and the services go; the presenter is gone by then.
    virtual void DestroyViews() = 0;
    // A dialog or the event log is open over the configuration window.
    virtual bool ModalWindowOpen() const = 0;
    virtual void QuitLoop() = 0;
};

class TrayProgram {
public:
    TrayProgram(std::unique_ptr<TrayToolkit> toolkit, TrayOptions options = {});
    ~TrayProgram();
    TrayProgram(const TrayProgram&) = delete;
    TrayProgram& operator=(const TrayProgram&) = delete;

    // Start-up up to the message loop: the caller runs the loop until Closed(). False, with nothing
    // started but the application window, when the configuration window cannot be made.
    bool Start();
    // The configuration window has accepted its close: the session is stopped and gone.
    bool Closed() const { return closed_; }

    MainFormPresenter& Presenter() { return *presenter_; }
    platform::WindowHandle AppWindowHandle() const;

private:
    void RegisterAppWindow();
    void StartControlServer();
    MonitorSession* RunningSession() const;

    std::unique_ptr<TrayToolkit> toolkit_;
    TrayOptions options_;
    std::stop_source appWindowStop_;
    std::unique_ptr<platform::AppWindow> appWindow_;
    std::unique_ptr<TrayServices> services_;
    std::unique_ptr<FolderMonitorSession> session_;
    std::unique_ptr<MainFormPresenter> presenter_;
    std::unique_ptr<ctl::ControlServer> control_;
    bool closed_ = false;
};

// Takes the data folder's host lock into `lock`. When another host holds it, a tray program there
// is asked to show its window (`askToShow`), and this copy's exit code comes back: 0 once it was
// shown, 3 when it was not (pellmard, which has no window, holds the folder).
std::optional<int> ClaimDataFolder(const std::string& dataPath, const std::function<bool()>& askToShow,
                                   std::unique_ptr<platform::HostLock>* lock);

// The whole program in the toolkit it was built with; returns the process exit code.
int RunTrayProgram(int argc, char** argv);

}  // namespace pellmar
