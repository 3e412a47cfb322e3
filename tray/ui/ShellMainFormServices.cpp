// The toolkit-free services of the configuration window.
#include "tray/ui/ShellMainFormServices.h"
#include "platform/ErrorReporter.h"

#include "tray/shell/Autostart.h"
#include "tray/shell/StagedUpdater.h"
#include "tray/shell/UpdaterLaunch.h"

namespace pellmar {

void ShellMainFormServices::InstallStagedUpdater() { pellmar::InstallStagedUpdater(); }

void ShellMainFormServices::LaunchUpdater() { pellmar::LaunchUpdater(appWindow_); }

bool ShellMainFormServices::ReadAutostart(bool current) {
    pellmar::ReadAutostart(current);
    return current;
}

bool ShellMainFormServices::WriteAutostart(bool autostart) {
    if (pellmar::WriteAutostart(autostart)) return true;
    platform::ReportError(AutostartFailureMessage(autostart));
    return false;
}

void ShellMainFormServices::ExitStarted() { reporter_.Release(); }

}  // namespace pellmar
