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
    std::string IniFile;   // description folder + delimiter + "VersionInfo.ini"
    std::string SignatureURL;   // IniURL + ".sig": the detached signature of the description
    std::string SignatureFile;  // IniFile + ".sig"
};

// From parameters 1.. of the command line; nullopt when fewer than four are given. The
// description is fetched into `descriptionFolder`, a folder of the updater's own (never the
// working directory, whose files are the user's).
std::optional<UpdaterParams> MakeUpdaterParams(const std::vector<std::string>& parameters, const std::string& descriptionFolder);

// The text printed when the parameters are missing, one "\n"-ended line each.
std::string UsageText();

}  // namespace pellmar
