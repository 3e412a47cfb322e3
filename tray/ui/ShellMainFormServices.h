// The configuration window's services that are the same in every toolkit: the updater start, the
// autostart entry and the end of waiting error reports. The setup dialog and the
// event log window are left to the toolkit's views. Owns nothing beyond one call. Main thread.
#pragma once

#include <optional>

#include "platform/AppWindow.h"
#include "tray/ui/MainFormView.h"
#include "tray/ui/MainThreadErrorReporter.h"

namespace pellmar {

class ShellMainFormServices : public MainFormServices {
public:
    explicit ShellMainFormServices(MainThreadErrorReporter& reporter) : reporter_(reporter) {}

    // The application window's handle for the updater's command line (0: none).
    void SetAppWindow(platform::WindowHandle handle) { appWindow_ = handle; }

    void InstallStagedUpdater() override;
    void LaunchUpdater() override;
    bool ReadAutostart(bool current) override;
    bool WriteAutostart(bool autostart) override;
    std::int64_t LastSeenProblem() override;
    void SetLastSeenProblem(std::int64_t id) override;
    void ExitStarted() override;

private:
    MainThreadErrorReporter& reporter_;
    platform::WindowHandle appWindow_ = 0;
    std::optional<std::int64_t> lastSeenProblem_;
};

}  // namespace pellmar
