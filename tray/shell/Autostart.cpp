// Autostart preference over the platform's autostart entry.
#include "tray/shell/Autostart.h"

#include "platform/AutostartEntry.h"
#include "platform/Environment.h"

namespace pellmar {

void ReadAutostart(bool& autostart) {
    if (std::optional<bool> present = platform::ReadAutostartEntry()) autostart = *present;
}

void WriteAutostart(bool autostart, const std::string& programFolder) {
    platform::WriteAutostartEntry(autostart, programFolder.empty() ? platform::GetProgramFolder() : programFolder);
}

}  // namespace pellmar
