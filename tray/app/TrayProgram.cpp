// Start-up and shutdown of the tray program. The application window is registered first, so the
// updater gets its handle; the session comes up from the end of the configuration window's
// construction; at exit the session stops inside the window's close, before the loop ends.
#include "tray/app/TrayProgram.h"

#include "platform/Display.h"
#include "platform/ErrorReporter.h"
#include "platform/HostLock.h"
#include "tray/ctl/ControlServer.h"
#include "tray/shell/DataLocations.h"
#include "tray/ui/FolderMonitorSession.h"
#include "tray/monitor/NTFolderScanner.h"
#include "tray/monitor/Win9XFolderScanner.h"
#include "tray/ui/qt/QtDispatcher.h"
#include "tray/ui/qt/QtErrorReporter.h"
#include "tray/ui/qt/QtMainFormServices.h"
#include "tray/ui/qt/InstanceChannel.h"
#include "tray/ui/qt/TrayIcon.h"
#include "tray/ui/qt/frmMainForm.h"

#include <QApplication>

#include <cstdio>

namespace pellmar {

inline constexpr const char* kAppWindowTitle = "Pellmar";

class TrayServices final : public QtMainFormServices {
public:
    TrayServices(QWidget* owner, QtErrorReporter& reporter, const TrayOptions& options)
        : QtMainFormServices(owner, reporter, options.timings), setupDialog_(options.setupDialog) {}
    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing) override {
        return setupDialog_ ? setupDialog_(existing) : QtMainFormServices::RunSetupDialog(existing);
    }

private:
    std::function<std::optional<ScannerValues>(const ScannerValues*)> setupDialog_;
};

TrayProgram::TrayProgram(TrayOptions options)
    : options_(std::move(options)), dispatcher_(std::make_unique<QtDispatcher>()),
      reporter_(std::make_unique<QtErrorReporter>(*dispatcher_)) {
    platform::InstallErrorReporter(reporter_.get());
    RegisterNTFolderScanner(*dispatcher_);
    RegisterWin9XFolderScanner(*dispatcher_);
}

TrayProgram::~TrayProgram() {
    // A close request waiting for the main thread is answered before its window goes.
    appWindowStop_.request_stop();
    appWindow_.reset();
    control_.reset();
    reporter_->Release();
    if (tray_) tray_->Remove();
    tray_.reset();
    presenter_.reset();  // stops the session if the program did not exit through the window
    services_.reset();
    window_.reset();
    platform::InstallErrorReporter(nullptr);
    dispatcher_->Quit();
}

platform::WindowHandle TrayProgram::AppWindowHandle() const { return appWindow_ ? appWindow_->Handle() : 0; }

void TrayProgram::RegisterAppWindow() {
    appWindow_ = platform::AppWindow::Register(kAppWindowTitle, [this] {
        dispatcher_->Send([this] {
            if (presenter_) presenter_->AppWindowCloseRequested();
        }, appWindowStop_.get_token());
    });
}

void TrayProgram::Start() {
    RegisterAppWindow();
    window_ = std::make_unique<MainForm>();
    services_ = std::make_unique<TrayServices>(window_.get(), *reporter_, options_);
    services_->SetAppWindow(AppWindowHandle());
    presenter_ = std::make_unique<MainFormPresenter>(*window_, *services_);
    window_->SetPresenter(presenter_.get());
    window_->SetOnClosed([this] {
        closed_ = true;
        if (tray_) tray_->Remove();
        QApplication::quit();
    });
    tray_ = std::make_unique<TrayIcon>(window_.get(), *presenter_);
    const bool trayAvailable = TrayIcon::Available();
    if (trayAvailable) tray_->Show();
    presenter_->Construct(trayAvailable);
    StartControlServer();
}

FolderMonitor* TrayProgram::RunningSession() const {
    auto* session = presenter_ ? dynamic_cast<FolderMonitorSession*>(presenter_->Session()) : nullptr;
    return session ? &session->Monitor() : nullptr;
}

// Requests run inside the main loop, which also runs inside modal windows: a change then could pull
// a monitor from under an open setup dialog, so changes wait until no modal window is open.
void TrayProgram::StartControlServer() {
    FolderMonitor* session = RunningSession();
    if (!session) return;
    ctl::ControlServerHooks hooks;
    hooks.busy = [] {
        return QApplication::activeModalWidget() ? std::string("a window of Pellmar is open (a dialog or the event log); "
                                                               "close it and try again")
                                                 : std::string();
    };
    hooks.changed = [this] {
        if (presenter_) presenter_->SessionChanged();
    };
    std::string problem;
    control_ = ctl::ControlServer::Start(*dispatcher_, [this] { return RunningSession(); },
                                         session->Locations().dataPath, std::move(hooks), &problem);
    if (!control_) std::fprintf(stderr, "Pellmar: pellmarctl cannot reach this program: %s.\n", problem.c_str());
}

int RunTrayProgram(int argc, char** argv) {
    if (!platform::DisplayAvailable()) {
        std::fprintf(stderr, "Pellmar: no display to show the tray program on (neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set). On a machine without a desktop run pellmard instead.\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Pellmar");
    const std::string dataPath = SettleDataLocations().dataPath;
    std::unique_ptr<platform::HostLock> lock;
    if (platform::HostLock::TryAcquire(platform::HostLockPath(dataPath), &lock) ==
        platform::HostLock::Result::HeldElsewhere) {
        if (InstanceChannel::AskToShow(dataPath)) return 0;
        std::fprintf(stderr, "Pellmar: another replication host (pellmard) is running on the data folder %s; "
                             "end it first.\n", dataPath.c_str());
        return 3;
    }
    TrayProgram program;
    InstanceChannel channel(dataPath, [&program] { program.Presenter().Configure(); });
    program.Start();
    return QApplication::exec();
}

}  // namespace pellmar
