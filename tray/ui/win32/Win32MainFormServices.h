// What the configuration window calls on in the Win32 program: the shared services, and the setup
// dialog, event log and restore windows made for one use each, modal over the owner. Owns nothing beyond
// one call. Main thread.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/ui/ShellMainFormServices.h"

#include <windows.h>

namespace pellmar {

class Win32MainFormServices final : public ShellMainFormServices {
public:
    Win32MainFormServices(HWND owner, MainThreadErrorReporter& reporter, platform::Dispatcher& dispatcher)
        : ShellMainFormServices(reporter), owner_(owner), dispatcher_(dispatcher) {}

    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override;
    void RunLogWindow(MonitorSession& session) override;
    void RunRestoreWindow(MonitorSession& session, MonitorId monitor) override;
    bool Confirm(const std::string& question) override;

private:
    HWND owner_;
    platform::Dispatcher& dispatcher_;  // hands the restore's progress to the main thread
};

}  // namespace pellmar
