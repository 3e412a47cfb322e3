// The updater's main flow: parameters, signed version check, prompt, clean-up of the local description.
#include "updater/AppMain.h"

#include "common/IniFile.h"
#include "platform/FileSystem.h"

namespace pellmar {

std::string FetchLatestVersion(const UpdaterParams& params, UpdateServices& services, std::string_view updateKey,
                               std::ostream& err) {
    DescriptionState state = FetchSignedDescription(params, services, updateKey);
    if (state != DescriptionState::Verified) {
        err << RefusalText(state, params);
        err.flush();
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

namespace {

void RemoveDescription(const UpdaterParams& params) {
    for (const std::string& file : {params.IniFile, params.SignatureFile}) {
        if (platform::FileExists(file)) platform::RemoveFile(file);
    }
}

}  // namespace

int UpdaterMain(const std::vector<std::string>& parameters, const UpdaterSetup& setup, UpdateServices& services,
                const ShowUpdatePromptFunction& show) {
    std::optional<UpdaterParams> params = MakeUpdaterParams(parameters, setup.descriptionFolder);
    if (!params) {
        setup.out << UsageText();
        setup.out.flush();
        return kExitDone;
    }
    if (setup.updateKey.empty()) {
        setup.err << MissingKeyText();
        setup.err.flush();
        return kExitNoVersion;
    }
    std::string latest = FetchLatestVersion(*params, services, setup.updateKey, setup.err);
    UpdateOutcome outcome = UpdateOutcome::NotRun;
    if (!latest.empty() && latest != params->Version) outcome = ShowUpdatePrompt(*params, latest, show);
    RemoveDescription(*params);
    if (latest.empty()) return kExitNoVersion;
    return outcome == UpdateOutcome::Failed ? kExitUpdateIncomplete : kExitDone;
}

}  // namespace pellmar
