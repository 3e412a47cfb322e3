// The update sequence run when the user accepts an update: download the listed files into "Tmp"
// beside the application, close the application's window, install the files, start the
// application again. Knows nothing of widgets: it reports through UpdateView. Runs on the
// updater's one thread and blocks it until the sequence is over.
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
};

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

void RunUpdate(UpdateContext& context);
bool DownloadUpdateFiles(UpdateContext& context);
bool CloseApplication(UpdateContext& context);
bool WaitForWindowGone(UpdateContext& context, platform::WindowHandle window);
void InstallUpdateFiles(UpdateContext& context);
void RestartApplication(UpdateContext& context);

}  // namespace pellmar
