// The updater's one pass: usage text, the signed version check, and the update prompt when the
// published version differs. The prompt window and the trusted key are injected, so this runs (and
// is tested) without widgets and with a test key. Runs on the updater's one thread.
#pragma once

#include "updater/SignedDescription.h"
#include "updater/UpdateFileInfo.h"
#include "updater/UpdateSequence.h"
#include "updater/UpdateServices.h"
#include "updater/UpdaterParams.h"

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Everything the update window shows and works on.
struct UpdatePrompt {
    std::string yourVersion;
    std::string latestVersion;
    std::string promptText;
    std::string caption;
    std::vector<UpdateFileInfo> files;
    std::string Path;
    platform::WindowHandle Hwnd = 0;
    std::string URL;  // the update location
};

// Shows the window modally; returns when it has closed, with how the update sequence ended.
using ShowUpdatePromptFunction = std::function<UpdateOutcome(const UpdatePrompt&)>;

// Exit codes: 0 no update offered, declined, or installed; 2 the published version could not be
// learned (also: no signed description, or no key to check one); 3 the accepted update was not
// installed (the program's files are as they were before it).
constexpr int kExitDone = 0;
constexpr int kExitNoVersion = 2;
constexpr int kExitUpdateIncomplete = 3;

// The published "VersionNo" of a description whose signature `updateKey` confirms; empty when it
// cannot be fetched or is refused (the refusal is written to `err`).
std::string FetchLatestVersion(const UpdaterParams& params, UpdateServices& services, std::string_view updateKey,
                               std::ostream& err);

std::string BuildPromptText(const std::string& appName);
std::string BuildPromptCaption(const std::string& appName);

// Reads the application name and the file list from IniFile and hands them to `show`.
UpdateOutcome ShowUpdatePrompt(const UpdaterParams& params, const std::string& latest, const ShowUpdatePromptFunction& show);

// What a run is given besides its command line: where its description goes (a folder of its own),
// the key it trusts (empty: a development build, which offers nothing), and its two streams.
struct UpdaterSetup {
    std::string descriptionFolder;
    std::string updateKey;
    std::ostream& out;
    std::ostream& err;
};

// The whole run from the split command line (parameters 1..); returns the exit code.
int UpdaterMain(const std::vector<std::string>& parameters, const UpdaterSetup& setup, UpdateServices& services,
                const ShowUpdatePromptFunction& show);

}  // namespace pellmar
