// The Win32 tray program, and its start. A second copy on the same data folder finds the first
// one's configuration window by its caption and asks it, by a registered message, to show itself.
#include "tray/app/Win32TrayToolkit.h"

#include "common/win32/Win32Controls.h"
#include "platform/HostLock.h"
#include "platform/win32/WideText.h"
#include "tray/shell/DataLocations.h"
#include "tray/ui/win32/Win32Dispatcher.h"
#include "tray/ui/win32/Win32ErrorReporter.h"
#include "tray/ui/win32/Win32Images.h"
#include "tray/ui/win32/Win32MainFormServices.h"
#include "tray/ui/win32/Win32TrayIcon.h"
#include "tray/ui/win32/frmMainForm.h"

#include <cstdio>

namespace pellmar {
namespace {

constexpr UINT kShowRequestTimeoutMs = 5000;

}  // namespace

std::unique_ptr<Win32TrayToolkit> Win32TrayToolkit::Create() {
    std::unique_ptr<Win32Dispatcher> dispatcher = Win32Dispatcher::Create();
    if (!dispatcher) return nullptr;
    return std::unique_ptr<Win32TrayToolkit>(new Win32TrayToolkit(std::move(dispatcher)));
}

Win32TrayToolkit::Win32TrayToolkit(std::unique_ptr<Win32Dispatcher> dispatcher)
    : dispatcher_(std::move(dispatcher)), reporter_(std::make_unique<Win32ErrorReporter>(*dispatcher_)) {}

Win32TrayToolkit::~Win32TrayToolkit() { dispatcher_->Quit(); }

platform::Dispatcher& Win32TrayToolkit::Dispatcher() { return *dispatcher_; }
MainThreadErrorReporter& Win32TrayToolkit::Reporter() { return *reporter_; }
MainFormView& Win32TrayToolkit::View() { return *window_; }
MainFormServices& Win32TrayToolkit::Services() { return *services_; }

bool Win32TrayToolkit::BuildWindow(platform::WindowHandle appWindow) {
    window_ = win32ui::MainForm::Create();
    if (!window_) return false;
    services_ = std::make_unique<Win32MainFormServices>(window_->Window(), *reporter_, *dispatcher_);
    services_->SetAppWindow(appWindow);
    return true;
}

void Win32TrayToolkit::Connect(MainFormPresenter& presenter, std::function<void()> onClosed) {
    window_->SetPresenter(&presenter);
    window_->SetOnClosed(std::move(onClosed));
    tray_ = Win32TrayIcon::Create(window_->Window(), presenter, win32ui::LoadTrayIcon());
}

bool Win32TrayToolkit::ShowTrayIcon() { return tray_ && tray_->Show(); }

void Win32TrayToolkit::RemoveTrayIcon() {
    if (tray_) tray_->Remove();
}

void Win32TrayToolkit::DestroyViews() {
    tray_.reset();
    services_.reset();
    window_.reset();
}

// The dialogs and the event log disable the configuration window while they are open.
bool Win32TrayToolkit::ModalWindowOpen() const { return window_ && !IsWindowEnabled(window_->Window()); }

void Win32TrayToolkit::QuitLoop() { PostQuitMessage(0); }

void Win32TrayToolkit::RunLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window_ && win32ui::HandleFormKeys(window_->Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool AskRunningTrayProgramToShow() {
    HWND window = FindWindowW(nullptr, platform::win32::Widen(win32ui::MainForm::kCaption).c_str());
    if (!window) return false;
    // The running copy may only come to the front if this one, which the user just started, lets it.
    AllowSetForegroundWindow(ASFW_ANY);
    DWORD_PTR shown = 0;
    return SendMessageTimeoutW(window, win32ui::MainForm::ShowRequestMessage(), 0, 0, SMTO_ABORTIFHUNG,
                               kShowRequestTimeoutMs, &shown) != 0 &&
           shown == 1;
}

int RunTrayProgram(int, char**) {
    const std::string dataPath = SettleDataLocations().dataPath;
    std::unique_ptr<platform::HostLock> lock;
    if (std::optional<int> exitCode = ClaimDataFolder(dataPath, AskRunningTrayProgramToShow, &lock)) return *exitCode;
    std::unique_ptr<Win32TrayToolkit> made = Win32TrayToolkit::Create();
    if (!made) {
        std::fprintf(stderr, "Pellmar: the program's windows cannot be made.\n");
        return 2;
    }
    Win32TrayToolkit& toolkit = *made;
    TrayProgram program(std::move(made));
    if (!program.Start()) {
        std::fprintf(stderr, "Pellmar: the configuration window cannot be made.\n");
        return 2;
    }
    toolkit.RunLoop();
    return 0;
}

}  // namespace pellmar
