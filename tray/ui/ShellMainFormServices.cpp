// The toolkit-free services of the configuration window.
#include "tray/ui/ShellMainFormServices.h"

#include <charconv>

#include "platform/ErrorReporter.h"
#include "platform/UserSettings.h"
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

namespace {

constexpr const char* kLastSeenProblemSetting = "LastSeenLogProblem";

}  // namespace

// Read once: the tray asks every few seconds, and only this program writes it.
std::int64_t ShellMainFormServices::LastSeenProblem() {
    if (lastSeenProblem_) return *lastSeenProblem_;
    std::unique_ptr<platform::UserSettings> settings = platform::UserSettings::Open();
    const std::string text = settings ? settings->ReadText(kLastSeenProblemSetting) : std::string();
    std::int64_t id = 0;
    std::from_chars(text.data(), text.data() + text.size(), id);
    lastSeenProblem_ = id;
    return id;
}

void ShellMainFormServices::SetLastSeenProblem(std::int64_t id) {
    lastSeenProblem_ = id;
    if (std::unique_ptr<platform::UserSettings> settings = platform::UserSettings::Open())
        settings->WriteText(kLastSeenProblemSetting, std::to_string(id));
}

}  // namespace pellmar
