// The updater's four command-line parameters and what is derived from them, plus its usage text.
// Built once at start-up and only read afterwards. Pure; any thread.
#pragma once

#include "platform/AppWindow.h"

#include <optional>
#include <string>
#include <vector>

namespace pellmar {

struct UpdaterParams {
    std::string URL;       // the update location, as given
    std::string Path;      // the application's executable
    std::string Version;   // the running version, compared as text
    platform::WindowHandle Hwnd = 0;  // the window to close before installing; 0: none
    std::string IniURL;    // URL + "/VersionInfo.ini"
    std::string IniFile;   // working directory + delimiter + "VersionInfo.ini"
};

// From parameters 1.. of the command line; nullopt when fewer than four are given.
std::optional<UpdaterParams> MakeUpdaterParams(const std::vector<std::string>& parameters, const std::string& workingDirectory);

// The text printed when the parameters are missing, one "\n"-ended line each.
std::string UsageText();

}  // namespace pellmar
