// The Win32 flavour of the tray program: the Win32 dispatcher and message box, the Win32
// configuration window and tray icon. Owns them; made on the main thread, which runs the loop.
#pragma once

#include "tray/app/TrayProgram.h"

#include <windows.h>

namespace pellmar {

class Win32Dispatcher;
class Win32ErrorReporter;
class Win32MainFormServices;
class Win32TrayIcon;
namespace win32ui {
class MainForm;
}

class Win32TrayToolkit final : public TrayToolkit {
public:
    // nullptr when the main thread's hand-over window cannot be made.
    static std::unique_ptr<Win32TrayToolkit> Create();
    ~Win32TrayToolkit() override;

    platform::Dispatcher& Dispatcher() override;
    MainThreadErrorReporter& Reporter() override;
    bool BuildWindow(platform::WindowHandle appWindow) override;
    MainFormView& View() override;
    MainFormServices& Services() override;
    void Connect(MainFormPresenter& presenter, std::function<void()> onClosed) override;
    bool ShowTrayIcon() override;
    void RemoveTrayIcon() override;
    void DestroyViews() override;
    bool ModalWindowOpen() const override;
    void QuitLoop() override;

    win32ui::MainForm& Window() { return *window_; }
    // Null when the icon's window could not be made.
    Win32TrayIcon* Tray() { return tray_.get(); }
    // Runs the thread's messages, with the configuration window's Tab, Enter and Escape keys,
    // until QuitLoop.
    void RunLoop();

private:
    explicit Win32TrayToolkit(std::unique_ptr<Win32Dispatcher> dispatcher);

    std::unique_ptr<Win32Dispatcher> dispatcher_;
    std::unique_ptr<Win32ErrorReporter> reporter_;
    std::unique_ptr<win32ui::MainForm> window_;
    std::unique_ptr<Win32MainFormServices> services_;
    std::unique_ptr<Win32TrayIcon> tray_;
};

// Asks a tray program running in this session to show its configuration window; true once it
// has been told.
bool AskRunningTrayProgramToShow();

}  // namespace pellmar
