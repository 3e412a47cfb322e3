// What the configuration window calls on in the Win32 program: the shared services, and the setup
// dialog and event log window made for one use each, modal over the owner. Owns nothing beyond
// one call. Main thread.
#pragma once

#include "tray/ui/ShellMainFormServices.h"

#include <windows.h>

namespace pellmar {

class Win32MainFormServices final : public ShellMainFormServices {
public:
    Win32MainFormServices(HWND owner, MainThreadErrorReporter& reporter)
        : ShellMainFormServices(reporter), owner_(owner) {}

    std::optional<ScannerValues> RunSetupDialog(const ScannerValues* existing,
                                                const std::vector<ScannerValues>& others) override;
    void RunLogWindow(MonitorSession& session) override;
    bool Confirm(const std::string& question) override;

private:
    HWND owner_;
};

}  // namespace pellmar
