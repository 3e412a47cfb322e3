// Autostart preference over the platform's autostart entry.
#include "tray/shell/Autostart.h"

#include "platform/AutostartEntry.h"

namespace pellmar {

void ReadAutostart(bool& autostart) {
    if (std::optional<bool> present = platform::ReadAutostartEntry()) autostart = *present;
}

void WriteAutostart(bool autostart, const std::string& programFolder) {
    if (autostart && programFolder.empty()) return;
    platform::WriteAutostartEntry(autostart, programFolder);
}

}  // namespace pellmar
