// The Qt flavour of the tray program: a Qt dispatcher and message box, the Qt configuration
// window and tray icon. Owns them; needs a QApplication on the calling (main) thread.
#pragma once

#include "tray/app/TrayProgram.h"

namespace pellmar {

class MainForm;
class QtDispatcher;
class QtErrorReporter;
class QtMainFormServices;
class TrayIcon;

class QtTrayToolkit final : public TrayToolkit {
public:
    QtTrayToolkit();
    ~QtTrayToolkit() override;

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

    MainForm& Window() { return *window_; }

private:
    std::unique_ptr<QtDispatcher> dispatcher_;
    std::unique_ptr<QtErrorReporter> reporter_;
    std::unique_ptr<MainForm> window_;
    std::unique_ptr<QtMainFormServices> services_;
    std::unique_ptr<TrayIcon> tray_;
};

}  // namespace pellmar
