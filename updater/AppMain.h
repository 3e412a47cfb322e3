// The updater's one pass: usage text, version check, and the update prompt when the published
// version differs. The prompt window is injected, so this runs (and is tested) without widgets.
// Runs on the updater's one thread.
#pragma once

#include "updater/UpdateFileInfo.h"
#include "updater/UpdateSequence.h"
#include "updater/UpdateServices.h"
#include "updater/UpdaterParams.h"

#include <functional>
#include <ostream>
#include <string>
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
// learned; 3 the accepted update was not installed completely (nothing at all when a download
// failed; the files that could not be put in place are left in "Tmp").
constexpr int kExitDone = 0;
constexpr int kExitNoVersion = 2;
constexpr int kExitUpdateIncomplete = 3;

// The largest version description accepted.
constexpr std::uint64_t kMaxVersionInfoBytes = std::uint64_t(4) << 20;

// Downloads IniURL to IniFile (at most kMaxVersionInfoBytes); the published "VersionNo", or empty
// when the download failed.
std::string FetchLatestVersion(const UpdaterParams& params, UpdateServices& services);

std::string BuildPromptText(const std::string& appName);
std::string BuildPromptCaption(const std::string& appName);

// Reads the application name and the file list from IniFile and hands them to `show`.
UpdateOutcome ShowUpdatePrompt(const UpdaterParams& params, const std::string& latest, const ShowUpdatePromptFunction& show);

// The whole run from the split command line (parameters 1..); returns the exit code.
int UpdaterMain(const std::vector<std::string>& parameters, const std::string& workingDirectory, std::ostream& out,
                UpdateServices& services, const ShowUpdatePromptFunction& show);

}  // namespace pellmar
