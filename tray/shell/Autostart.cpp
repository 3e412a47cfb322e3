// Autostart preference over the platform's autostart entry.
#include "tray/shell/Autostart.h"

#include "platform/AutostartEntry.h"

#include <string>

namespace pellmar {

void ReadAutostart(bool& autostart) {
    if (std::optional<bool> present = platform::ReadAutostartEntry()) autostart = *present;
}

bool WriteAutostart(bool autostart, const std::string& programFolder) {
    if (autostart && programFolder.empty()) return false;
    return platform::WriteAutostartEntry(autostart, programFolder);
}

std::string AutostartFailureMessage(bool autostart) {
    return std::string("Pellmar could not ") + (autostart ? "turn on" : "turn off") +
           " starting with the session: " + platform::AutostartEntryLocation() + " cannot be written.";
}

}  // namespace pellmar
