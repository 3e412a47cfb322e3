// The update sequence run when the user accepts an update: download the listed files into "Tmp"
// beside the application, close the application's window, install the files, start the
// application again. All or nothing: unless every listed file has downloaded with the size and
// SHA-256 its signed description gives, nothing is closed or installed and this run's downloads
// are removed again; unless every file can be put in place, the old files are put back. Knows
// nothing of widgets: it reports through UpdateView. Runs on the updater's one thread and blocks
// it until the sequence is over.
#pragma once

#include "platform/AppWindow.h"
#include "updater/UpdateFileInfo.h"
#include "updater/UpdateServices.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace pellmar {

// The update window as the sequence sees it. Called on the sequence's thread; each call shows its
// change at once (no event loop runs while the sequence does).
class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void ShowProgress(std::uint32_t progress, std::uint32_t progressMax) = 0;
    virtual void RequestClose() = 0;  // handled after the sequence has returned
};

struct UpdateJob {
    std::vector<UpdateFileInfo> files;
    std::string Path;
    platform::WindowHandle Hwnd = 0;
    std::string location;  // the update location; when https, every file must come over https too
};

// How an accepted update ended. NotRun: the user did not accept it (or could not be asked).
enum class UpdateOutcome { NotRun, Completed, Failed };

// The largest file an update may hold.
constexpr std::uint64_t kMaxUpdateFileBytes = std::uint64_t(512) << 20;

// The folder inside "Tmp" that holds the replaced files until the whole set is in place.
constexpr const char* kKeptFolderName = ".qmUpdate-kept";

struct UpdateTimings {
    int windowChecks = 201;
    std::chrono::milliseconds windowCheckInterval{100};
    std::chrono::milliseconds pauseAfterCopy{50};
};

struct UpdateContext {
    UpdateView& view;
    const UpdateJob& job;
    UpdateServices& services;
    UpdateTimings timings;
};

// Path up to and including its last delimiter; empty when it holds none.
std::string ProgramFolderOf(const std::string& path);

// Completed only when every listed file was downloaded and installed (the updater's own file may
// stay staged in "Tmp" for the tray program) after the application's window had gone.
UpdateOutcome RunUpdate(UpdateContext& context);
// False when the folder cannot be made or any listed file does not download completely with its
// listed size and SHA-256 (none listed, an unsafe name, a weaker scheme than the location's, an
// HTTP error, a cut, oversized or altered body); then the files this run downloaded are removed
// again, with "Tmp" when it is left empty.
bool DownloadUpdateFiles(UpdateContext& context);
bool CloseApplication(UpdateContext& context);
bool WaitForWindowGone(UpdateContext& context, platform::WindowHandle window);
// False when a downloaded file could not be put in place: then every file installed before it is
// put back as it was and this run's downloads are removed.
bool InstallUpdateFiles(UpdateContext& context);
void RestartApplication(UpdateContext& context);

}  // namespace pellmar
