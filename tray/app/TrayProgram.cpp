// Start-up and shutdown of the tray program. The application window is registered first, so the
// updater gets its handle; the session comes up from the end of the configuration window's
// construction; at exit the session stops inside the window's close, before the loop ends.
#include "tray/app/TrayProgram.h"

#include "platform/ErrorReporter.h"
#include "platform/HostLock.h"
#include "tray/ctl/ControlServer.h"
#include "tray/db/DatabaseCheck.h"
#include "tray/shell/DataLocations.h"
#include "tray/session/FolderMonitorSession.h"

#include <cstdio>
#include <cstdlib>

namespace pellmar {

inline constexpr const char* kAppWindowTitle = "Pellmar";

// The toolkit's services, with the setup dialog replaced where the options say so.
class TrayServices final : public MainFormServices {
public:
    TrayServices(MainFormServices& services, const TrayOptions& options)
        : services_(services), setupDialog_(options.setupDialog) {}

    void InstallStagedUpdater() override { services_.InstallStagedUpdater(); }
    void LaunchUpdater() override { services_.LaunchUpdater(); }
    bool ReadAutostart(bool current) override { return services_.ReadAutostart(current); }
    bool WriteAutostart(bool autostart) override { return services_.WriteAutostart(autostart); }
    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override {
        return setupDialog_ ? setupDialog_(existing) : services_.RunSetupDialog(existing, others);
    }
    void RunLogWindow(MonitorSession& session) override { services_.RunLogWindow(session); }
    void RunRestoreWindow(MonitorSession& session, MonitorId monitor) override {
        services_.RunRestoreWindow(session, monitor);
    }
    std::int64_t LastSeenProblem() override { return services_.LastSeenProblem(); }
    void SetLastSeenProblem(std::int64_t id) override { services_.SetLastSeenProblem(id); }
    bool Confirm(const std::string& question) override { return services_.Confirm(question); }
    void ExitStarted() override { services_.ExitStarted(); }

private:
    MainFormServices& services_;
    std::function<std::optional<ScannerValues>(const ScannerValues*)> setupDialog_;
};

TrayProgram::TrayProgram(std::unique_ptr<TrayToolkit> toolkit, TrayOptions options)
    : toolkit_(std::move(toolkit)), options_(std::move(options)) {
    platform::InstallErrorReporter(&toolkit_->Reporter());
}

TrayProgram::~TrayProgram() {
    // A close request waiting for the main thread is answered before its window goes.
    appWindowStop_.request_stop();
    appWindow_.reset();
    control_.reset();
    toolkit_->Reporter().Release();
    toolkit_->RemoveTrayIcon();
    presenter_.reset();  // stops the session if the program did not exit through the window
    session_.reset();
    services_.reset();
    toolkit_->DestroyViews();
    platform::InstallErrorReporter(nullptr);
    toolkit_.reset();
}

platform::WindowHandle TrayProgram::AppWindowHandle() const { return appWindow_ ? appWindow_->Handle() : 0; }

void TrayProgram::RegisterAppWindow() {
    appWindow_ = platform::AppWindow::Register(kAppWindowTitle, [this] {
        toolkit_->Dispatcher().Send([this] {
            if (presenter_) presenter_->AppWindowCloseRequested();
        }, appWindowStop_.get_token());
    });
}

bool TrayProgram::Start() {
    // Nothing runs yet, so the program can end here; running on a damaged file would replicate
    // nothing while the tray icon looks busy.
    const std::string databasePath = SettleDataLocations().databasePath;
    if (const std::optional<std::string> damage = DatabaseDamage(databasePath)) {
        const std::string advice = DamagedDatabaseAdvice(databasePath, *damage);
        std::fprintf(stderr, "Pellmar: %s\n", advice.c_str());
        toolkit_->Reporter().Report(kAppWindowTitle, advice, platform::ErrorIcon::Error);
        std::exit(2);
    }
    RegisterAppWindow();
    if (!toolkit_->BuildWindow(AppWindowHandle())) return false;
    services_ = std::make_unique<TrayServices>(toolkit_->Services(), options_);
    session_ = std::make_unique<FolderMonitorSession>(toolkit_->Dispatcher(), options_.timings);
    presenter_ = std::make_unique<MainFormPresenter>(toolkit_->View(), *services_, *session_);
    toolkit_->Connect(*presenter_, [this] {
        closed_ = true;
        toolkit_->RemoveTrayIcon();
        toolkit_->QuitLoop();
    });
    presenter_->Construct(toolkit_->ShowTrayIcon());
    StartControlServer();
    return true;
}

MonitorSession* TrayProgram::RunningSession() const { return presenter_ ? presenter_->Session() : nullptr; }

// Requests run inside the main loop, which also runs inside modal windows: a change then could pull
// a monitor from under an open setup dialog, so changes wait until no modal window is open.
void TrayProgram::StartControlServer() {
    if (!RunningSession()) return;
    ctl::ControlServerHooks hooks;
    hooks.busy = [this] {
        return toolkit_->ModalWindowOpen() ? std::string("a window of Pellmar is open (a dialog or the event log); "
                                                         "close it and try again")
                                           : std::string();
    };
    hooks.changed = [this] {
        if (presenter_) presenter_->SessionChanged();
    };
    std::string problem;
    control_ = ctl::ControlServer::Start(toolkit_->Dispatcher(), [this] { return RunningSession(); },
                                         session_->Locations(), std::move(hooks), &problem);
    if (!control_) std::fprintf(stderr, "Pellmar: pellmarctl cannot reach this program: %s.\n", problem.c_str());
}

std::optional<int> ClaimDataFolder(const std::string& dataPath, const std::function<bool()>& askToShow,
                                   std::unique_ptr<platform::HostLock>* lock) {
    const std::string path = platform::HostLockPath(dataPath);
    using Result = platform::HostLock::Result;
    if (platform::HostLock::TryAcquire(path, lock) != Result::HeldElsewhere) return std::nullopt;
    // A tray program started twice shows the first one at once; only a holder that is not one
    // (a pellmarctl at work) is waited for.
    if (askToShow()) return 0;
    if (platform::HostLock::Acquire(path, lock, platform::kHostLockPatience) != Result::HeldElsewhere)
        return std::nullopt;
    std::fprintf(stderr, "Pellmar: another replication host (pellmard) is running on the data folder %s; "
                         "end it first.\n", dataPath.c_str());
    return 3;
}

}  // namespace pellmar
