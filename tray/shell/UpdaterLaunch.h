// Starting the updater for its version check at every start of the tray program: the four
// parameters (update location, the tray program's path, its version, its window handle) and the
// detached, hidden start. Not waited for; silent on every failure. Main thread.
#pragma once

#include "platform/AppWindow.h"
#include "platform/Environment.h"

#include <string>

namespace pellmar {

// The update location, fixed at build time (https by default, http possible); its path ends in
// "/updates/Pellmar", no trailing "/".
extern const char* const UpdateLocation;
// The version text the updater compares with the published one.
extern const char* const ProgramVersion;
// Whether this build updates itself; off where a package manager owns the programs' files.
extern const bool SelfUpdate;

// The parameter text as a command line carries it: the location unquoted, the program path
// quoted, the version, the handle in decimal. `programFolder` ends in a delimiter.
std::string BuildUpdaterParameters(const std::string& programFolder, platform::WindowHandle window);

// Starts programFolder + qmUpdate with those parameters; by default the running executable's
// folder. When it is empty (the folder cannot be found) nothing is started: neither a qmUpdate in
// the working directory nor one on PATH is the installed updater. Nor is it started by a build
// that does not update itself, or for a folder the user cannot write: the updater would offer an
// update at every start that it could never install.
void LaunchUpdater(platform::WindowHandle window, const std::string& programFolder = platform::GetProgramFolder(),
                   bool selfUpdate = SelfUpdate);

}  // namespace pellmar
