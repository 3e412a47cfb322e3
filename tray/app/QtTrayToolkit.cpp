// The Qt tray program, and its start: display check, Qt application, one run. A second copy on
// the same data folder asks the first over the instance channel to show its window.
#include "tray/app/QtTrayToolkit.h"

#include "platform/Display.h"
#include "platform/HostLock.h"
#include "tray/shell/DataLocations.h"
#include "tray/ui/qt/InstanceChannel.h"
#include "tray/ui/qt/QtDispatcher.h"
#include "tray/ui/qt/QtErrorReporter.h"
#include "tray/ui/qt/QtMainFormServices.h"
#include "tray/ui/qt/TrayIcon.h"
#include "tray/ui/qt/frmMainForm.h"

#include <QApplication>

#include <cstdio>

namespace pellmar {

QtTrayToolkit::QtTrayToolkit()
    : dispatcher_(std::make_unique<QtDispatcher>()), reporter_(std::make_unique<QtErrorReporter>(*dispatcher_)) {}

QtTrayToolkit::~QtTrayToolkit() { dispatcher_->Quit(); }

platform::Dispatcher& QtTrayToolkit::Dispatcher() { return *dispatcher_; }
MainThreadErrorReporter& QtTrayToolkit::Reporter() { return *reporter_; }
MainFormView& QtTrayToolkit::View() { return *window_; }
MainFormServices& QtTrayToolkit::Services() { return *services_; }

bool QtTrayToolkit::BuildWindow(platform::WindowHandle appWindow) {
    window_ = std::make_unique<MainForm>();
    services_ = std::make_unique<QtMainFormServices>(window_.get(), *reporter_, *dispatcher_);
    services_->SetAppWindow(appWindow);
    return true;
}

void QtTrayToolkit::Connect(MainFormPresenter& presenter, std::function<void()> onClosed) {
    window_->SetPresenter(&presenter);
    window_->SetOnClosed(std::move(onClosed));
    tray_ = std::make_unique<TrayIcon>(window_.get(), presenter);
}

bool QtTrayToolkit::ShowTrayIcon() {
    const bool available = TrayIcon::Available();
    if (available) tray_->Show();
    return available;
}

void QtTrayToolkit::RemoveTrayIcon() {
    if (tray_) tray_->Remove();
}

void QtTrayToolkit::DestroyViews() {
    tray_.reset();
    services_.reset();
    window_.reset();
}

bool QtTrayToolkit::ModalWindowOpen() const { return QApplication::activeModalWidget() != nullptr; }

void QtTrayToolkit::QuitLoop() { QApplication::quit(); }

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
    if (std::optional<int> exitCode = ClaimDataFolder(dataPath, [&] { return InstanceChannel::AskToShow(dataPath); }, &lock)) {
        return *exitCode;
    }
    TrayProgram program(std::make_unique<QtTrayToolkit>());
    InstanceChannel channel(dataPath, [&program] { program.Presenter().Configure(); });
    program.Start();
    return QApplication::exec();
}

}  // namespace pellmar
