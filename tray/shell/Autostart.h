// The tray program's autostart preference: read from and written to the machine-wide autostart
// entry, over a flag that the configuration window's checkbox mirrors. Silent on every failure.
// Main thread.
#pragma once

#include "platform/Environment.h"

#include <string>

namespace pellmar {

// Sets `autostart` to whether the entry exists; leaves it unchanged when the entry cannot be read.
void ReadAutostart(bool& autostart);

// Writes the entry (naming `programFolder` + the tray program) or deletes it; false, with nothing
// changed, when that cannot be done (the caller says so). `programFolder` ends in a delimiter; by
// default the running executable's folder. When it is empty (the folder cannot be found) no entry
// is written, rather than one naming a bare program name; deleting works without it.
bool WriteAutostart(bool autostart, const std::string& programFolder = platform::GetProgramFolder());

// What the user is told when the entry cannot be written.
std::string AutostartFailureMessage(bool autostart);

}  // namespace pellmar
