// Setting up the updater's parameters from the split command line.
#include "updater/UpdaterParams.h"

#include "common/CommandLine.h"
#include "common/Paths.h"

namespace pellmar {

std::optional<UpdaterParams> MakeUpdaterParams(const std::vector<std::string>& parameters, const std::string& descriptionFolder) {
    if (parameters.size() < 4) return std::nullopt;
    UpdaterParams params;
    params.URL = parameters[0];
    params.Path = parameters[1];
    params.Version = parameters[2];
    params.Hwnd = ParseDecimalInt32(parameters[3]);
    params.IniURL = params.URL + "/" + "VersionInfo.ini";
    params.IniFile = IncludeTrailingPathDelimiter(descriptionFolder) + "VersionInfo.ini";
    params.SignatureURL = params.IniURL + ".sig";
    params.SignatureFile = params.IniFile + ".sig";
    return params;
}

std::string UsageText() {
    return "\n"
           "Directions for calling qmUpdate:\n"
           "-----------------------------------------------------------------------------\n"
           "The following 4 parameters must be passed in the correct order:\n"
           "URL  -    That represents the update location of the website\n"
           "Path -    Full path to the executable file that starts the application\n"
           "Version - Version info in the format 1.0.0.0\n"
           "Hwnd    - Handle to the window in the app that processes the WM_CLOSE message\n"
           "\n"
           "Note:\n"
           "You may want to wrap quotes around the parms that can contain spaces such as\n"
           "the URL and Path parameters\n"
           "\n";
}

}  // namespace pellmar
