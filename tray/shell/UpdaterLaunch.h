// Starting the updater for its version check at every start of the tray program: the four
// parameters (update location, the tray program's path, its version, its window handle) and the
// detached, hidden start. Not waited for; silent on every failure. Main thread.
#pragma once

#include "platform/AppWindow.h"

#include <string>

namespace pellmar {

// The update location, fixed at build time; its path ends in "/updates/Pellmar", no trailing "/".
extern const char* const UpdateLocation;
// The version text the updater compares with the published one.
extern const char* const ProgramVersion;

// The parameter text as a command line carries it: the location unquoted, the program path
// quoted, the version, the handle in decimal. `programFolder` ends in a delimiter.
std::string BuildUpdaterParameters(const std::string& programFolder, platform::WindowHandle window);

// Starts programFolder + qmUpdate with those parameters. `programFolder` empty: the running
// executable's folder.
void LaunchUpdater(platform::WindowHandle window, const std::string& programFolder = {});

}  // namespace pellmar
