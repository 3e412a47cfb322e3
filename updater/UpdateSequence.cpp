// The steps of the update sequence, in the order the user sees them in the status label.
#include "updater/UpdateSequence.h"

#include "common/FileReplace.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "tray/util/Paths.h"

namespace pellmar {
namespace {

std::string DownloadFolder(const UpdateJob& job) { return ProgramFolderOf(job.Path) + "Tmp"; }

std::string DownloadedFile(const UpdateJob& job, const UpdateFileInfo& file) {
    return DownloadFolder(job) + platform::PathDelimiter() + file.FileName;
}

}  // namespace

std::string ProgramFolderOf(const std::string& path) {
    bool colonIsDelimiter = platform::PathDelimiter() == '\\';
    for (std::size_t at = path.size(); at > 0; --at) {
        char c = path[at - 1];
        if (platform::IsPathDelimiter(c) || (colonIsDelimiter && c == ':')) return path.substr(0, at);
    }
    return {};
}

void RunUpdate(UpdateContext& context) {
    if (DownloadUpdateFiles(context) && CloseApplication(context)) {
        InstallUpdateFiles(context);
        RestartApplication(context);
    }
    context.view.RequestClose();
}

bool DownloadUpdateFiles(UpdateContext& context) {
    const UpdateJob& job = context.job;
    if (job.Path.empty() || job.files.empty()) return true;
    std::string folder = DownloadFolder(job);
    if (!platform::FolderExists(folder) && !ForceFolders(folder)) return false;
    auto onProgress = [&context](std::uint32_t progress, std::uint32_t progressMax) {
        context.view.ShowProgress(progress, progressMax);
    };
    for (const UpdateFileInfo& file : job.files) {
        context.view.ShowStatus("Downloading " + file.FileName);
        if (!IsPlainFileName(file.FileName)) continue;
        std::string target = DownloadedFile(job, file);
        // A leftover of an earlier run must not be installed in place of a download that fails now.
        if (platform::FileExists(target)) platform::RemoveFile(target);
        context.services.Download(file.URL, target, onProgress);
    }
    context.view.ShowStatus("Download Complete");
    return true;
}

bool CloseApplication(UpdateContext& context) {
    context.view.ShowStatus("Closing Application...");
    if (context.job.Hwnd == 0) return true;
    context.services.SendClose(context.job.Hwnd);
    return WaitForWindowGone(context, context.job.Hwnd);
}

bool WaitForWindowGone(UpdateContext& context, platform::WindowHandle window) {
    for (int pauses = 0;;) {
        if (!context.services.WindowExists(window)) return true;
        context.services.Pause(context.timings.windowCheckInterval);
        if (++pauses >= context.timings.windowChecks) return false;
    }
}

void InstallUpdateFiles(UpdateContext& context) {
    context.view.ShowStatus("Installing Updates...");
    const UpdateJob& job = context.job;
    if (job.Path.empty() || job.files.empty()) return;
    std::string programFolder = ProgramFolderOf(job.Path);
    for (const UpdateFileInfo& file : job.files) {
        if (!IsPlainFileName(file.FileName)) continue;
        std::string downloaded = DownloadedFile(job, file);
        if (!ReplaceFileWithCopy(downloaded, programFolder + file.FileName)) continue;
        context.services.Pause(context.timings.pauseAfterCopy);
        platform::RemoveFile(downloaded);
    }
    platform::RemoveEmptyFolder(DownloadFolder(job));
}

void RestartApplication(UpdateContext& context) {
    context.view.ShowStatus("ReStarting Application...");
    if (platform::FileExists(context.job.Path)) context.services.StartProgram(context.job.Path);
}

}  // namespace pellmar
