// The autostart entry of the tray program: the "PellmarTray" value of the HKLM Run key on
// Windows; on Linux PellmarTray.desktop in the user's own autostart folder
// ($XDG_CONFIG_HOME/autostart, default ~/.config/autostart), which needs no rights. An entry that
// earlier versions wrote for every user (the autostart folder of the first $XDG_CONFIG_DIRS
// entry, default /etc/xdg) counts too; it is removed where the user may, and otherwise overridden
// by a hidden entry of the user's own when the user turns autostart off. Only reads, writes and
// deletes the entry; the checkbox is the caller's. Main thread.
#pragma once

#include <optional>
#include <string>

namespace pellmar::platform {

// Whether the entry exists (in any form); nullopt when the place that holds entries cannot be read.
std::optional<bool> ReadAutostartEntry();

// Writes the entry so that it starts "<programFolder>Pellmar" (program folder ends in a
// delimiter), or deletes it; deleting a missing entry succeeds. False when the place cannot be
// written (Windows: without administrator rights), or when an entry is asked for with a program
// folder that is empty or not absolute; then nothing has changed.
bool WriteAutostartEntry(bool present, const std::string& programFolder);

// Where the entry lives (Linux: the .desktop file's path), for messages and tests.
std::string AutostartEntryLocation();

}  // namespace pellmar::platform
