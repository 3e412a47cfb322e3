// The updater's main flow: parameters, version check, prompt, clean-up of the local description.
#include "updater/AppMain.h"

#include "common/IniFile.h"
#include "platform/FileSystem.h"

namespace pellmar {

std::string FetchLatestVersion(const UpdaterParams& params, UpdateServices& services) {
    if (!services.Download(params.IniURL, params.IniFile, {}, kMaxVersionInfoBytes, platform::DownloadedFileKind::Data)) {
        return {};
    }
    return ReadIniValue(params.IniFile, "AppInfo", "VersionNo");
}

std::string BuildPromptText(const std::string& appName) {
    return "A new version of " + appName + " has been detected " + "by the Auto Update Manager." + "\r\n\r\n" +
           "Okay to apply the updates now?";
}

std::string BuildPromptCaption(const std::string& appName) { return "Application Update for " + appName; }

UpdateOutcome ShowUpdatePrompt(const UpdaterParams& params, const std::string& latest, const ShowUpdatePromptFunction& show) {
    std::string app = ReadIniValue(params.IniFile, "AppInfo", "AppName");
    UpdatePrompt prompt;
    prompt.yourVersion = params.Version;
    prompt.latestVersion = latest;
    prompt.promptText = BuildPromptText(app);
    prompt.caption = BuildPromptCaption(app);
    prompt.files = ReadUpdateFileList(params.IniFile);
    prompt.Path = params.Path;
    prompt.Hwnd = params.Hwnd;
    prompt.URL = params.URL;
    return show(prompt);
}

int UpdaterMain(const std::vector<std::string>& parameters, const std::string& workingDirectory, std::ostream& out,
                UpdateServices& services, const ShowUpdatePromptFunction& show) {
    std::optional<UpdaterParams> params = MakeUpdaterParams(parameters, workingDirectory);
    if (!params) {
        out << UsageText();
        out.flush();
        return kExitDone;
    }
    std::string latest = FetchLatestVersion(*params, services);
    if (latest.empty()) return kExitNoVersion;
    UpdateOutcome outcome = UpdateOutcome::NotRun;
    if (latest != params->Version) outcome = ShowUpdatePrompt(*params, latest, show);
    if (platform::FileExists(params->IniFile)) platform::RemoveFile(params->IniFile);
    return outcome == UpdateOutcome::Failed ? kExitUpdateIncomplete : kExitDone;
}

}  // namespace pellmar
