// The steps of the update sequence, in the order the user sees them in the status label.
#include "updater/UpdateSequence.h"

#include "common/Paths.h"
#include "common/TextCase.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ProgramStart.h"
#include "updater/InstallTransaction.h"

#include <set>

namespace pellmar {
namespace {

std::string DownloadFolder(const UpdateJob& job) { return ProgramFolderOf(job.Path) + "Tmp"; }

std::string DownloadedFile(const UpdateJob& job, const UpdateFileInfo& file) {
    return DownloadFolder(job) + platform::PathDelimiter() + file.FileName;
}

bool IsHttps(std::string_view url) {
    constexpr std::string_view kScheme = "https://";
    return url.size() >= kScheme.size() && EqualIgnoringAsciiCase(url.substr(0, kScheme.size()), kScheme);
}

// A description fetched over https cannot hand its files to whoever sits on a plain http path.
bool IsAcceptedFileUrl(const UpdateJob& job, const UpdateFileInfo& file) {
    return !IsHttps(job.location) || IsHttps(file.URL);
}

// The installation's programs get an executable mode when an update adds them.
platform::DownloadedFileKind KindOf(const UpdateJob& job, const UpdateFileInfo& file) {
    const std::string& name = file.FileName;
    bool program = name == job.Path.substr(ProgramFolderOf(job.Path).size()) ||
                   name == platform::ExecutableFileName("qmUpdate") || name == platform::ExecutableFileName("qmRemove");
    return program ? platform::DownloadedFileKind::Program : platform::DownloadedFileKind::Data;
}

void RemoveDownloads(const UpdateJob& job, const std::vector<std::string>& downloaded) {
    for (const std::string& file : downloaded) {
        if (platform::FileExists(file)) platform::RemoveFile(file);
    }
    platform::RemoveEmptyFolder(DownloadFolder(job));
}

// Every file this job downloads, so a refused installation leaves none of them staged: the tray
// program would otherwise move a new updater in beside the old programs.
std::vector<std::string> AllDownloads(const UpdateJob& job) {
    std::vector<std::string> files;
    for (const UpdateFileInfo& file : job.files) {
        if (IsPlainFileName(file.FileName)) files.push_back(DownloadedFile(job, file));
    }
    return files;
}

// Only what the signed description lists, byte for byte, is ever installed.
bool DownloadListedFile(UpdateContext& context, const UpdateFileInfo& file, const std::string& target) {
    auto onProgress = [&context](std::uint32_t progress, std::uint32_t progressMax) {
        context.view.ShowProgress(progress, progressMax);
    };
    if (!IsPlainFileName(file.FileName) || !IsAcceptedFileUrl(context.job, file) || file.sha256.empty()) return false;
    // A leftover of an earlier run must not be taken for this run's download.
    if (platform::FileExists(target)) platform::RemoveFile(target);
    return context.services.Download(file.URL, target, onProgress, file.size, KindOf(context.job, file)) &&
           MatchesListedDigest(target, file);
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

UpdateOutcome RunUpdate(UpdateContext& context) {
    bool complete = DownloadUpdateFiles(context) && CloseApplication(context);
    if (complete) {
        complete = InstallUpdateFiles(context);
        RestartApplication(context);
    }
    context.view.RequestClose();
    return complete ? UpdateOutcome::Completed : UpdateOutcome::Failed;
}

bool DownloadUpdateFiles(UpdateContext& context) {
    const UpdateJob& job = context.job;
    if (job.Path.empty() || job.files.empty()) return true;
    std::string folder = DownloadFolder(job);
    if (!platform::FolderExists(folder) && !ForceFolders(folder)) return false;
    std::vector<std::string> downloaded;
    for (const UpdateFileInfo& file : job.files) {
        context.view.ShowStatus("Downloading " + file.FileName);
        std::string target = DownloadedFile(job, file);
        bool ok = file.size <= kMaxUpdateFileBytes && DownloadListedFile(context, file, target);
        if (IsPlainFileName(file.FileName)) downloaded.push_back(target);
        if (!ok) {
            // Installing the rest would leave a mix of versions that the next check takes for the
            // new one, and the missing file would never be fetched.
            RemoveDownloads(job, downloaded);
            return false;
        }
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

bool InstallUpdateFiles(UpdateContext& context) {
    context.view.ShowStatus("Installing Updates...");
    const UpdateJob& job = context.job;
    if (job.Path.empty() || job.files.empty()) return true;
    InstallTransaction transaction(ProgramFolderOf(job.Path), DownloadFolder(job) + platform::PathDelimiter() + kKeptFolderName);
    std::vector<std::string> installed;
    std::set<std::string> done;
    for (const UpdateFileInfo& file : job.files) {
        // A name listed twice holds the later URL's content (its download came last) and is installed once.
        if (!done.insert(file.FileName).second) continue;
        std::string downloaded = DownloadedFile(job, file);
        if (IsPlainFileName(file.FileName) && transaction.Install(downloaded, file.FileName)) {
            context.services.Pause(context.timings.pauseAfterCopy);
            installed.push_back(downloaded);
        } else if (file.FileName != platform::ExecutableFileName("qmUpdate")) {
            // A mixed installation would run, and later checks would take it for the published one.
            transaction.Undo();
            RemoveDownloads(job, AllDownloads(job));
            return false;
        }
        // The updater's own file is no failure: where it cannot be replaced while it runs, it stays
        // in "Tmp" and the tray program puts it in place at its next start.
    }
    transaction.Commit();
    for (const std::string& file : installed) platform::RemoveFile(file);
    platform::RemoveEmptyFolder(DownloadFolder(job));
    return true;
}

void RestartApplication(UpdateContext& context) {
    context.view.ShowStatus("ReStarting Application...");
    if (platform::FileExists(context.job.Path)) context.services.StartProgram(context.job.Path);
}

}  // namespace pellmar
