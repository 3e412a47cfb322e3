// ExecuteJob and the path arithmetic of versions and parked copies. Touches files only through
// FileOperations; the database and the log belong to the pass loop.
#include "tray/jobs/JobExecution.h"

#include "platform/Environment.h"
#include "tray/util/TextCase.h"

namespace pellmar {
namespace {

std::size_t NameStart(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (platform::IsPathDelimiter(path[i - 1])) return i;
    }
    return 0;
}

std::string FolderPart(const std::string& path) { return path.substr(0, NameStart(path)); }

std::string NamePart(const std::string& path) { return path.substr(NameStart(path)); }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// "C:\" on Windows, the leading "/" (or "\\" of a share) elsewhere.
std::string WithoutDrive(const std::string& folder) {
    if (folder.size() >= 3 && folder[1] == ':' && platform::IsPathDelimiter(folder[2])) return folder.substr(3);
    std::size_t start = 0;
    while (start < folder.size() && platform::IsPathDelimiter(folder[start])) ++start;
    return folder.substr(start);
}

bool StartsWithFolder(const std::string& path, const std::string& folder, bool ignoreCase) {
    if (folder.empty() || path.size() < folder.size()) return false;
    const std::string head = path.substr(0, folder.size());
    return ignoreCase ? EqualIgnoringAsciiCase(head, folder) : head == folder;
}

struct CopyContext {
    const ChangeEvent& job;
    const std::string& tempFilePath;
    FileOperations& files;
    BackupFolderRecord* backups;
    bool fromTemp;
};

enum class BackupFolderState { Unknown, Present, Offline };

// Present folders are remembered as soon as they are seen, so that one delivered into by an
// earlier version of the program is protected too once it has been seen mounted.
BackupFolderState StateOfBackupFolder(const std::string& dest, FileOperations& files, BackupFolderRecord* backups) {
    if (!backups) return BackupFolderState::Unknown;
    const std::optional<std::string> found = backups->FolderOf(dest);
    if (!found) return BackupFolderState::Unknown;
    if (files.FolderExists(*found)) {
        backups->Remember(*found);
        return BackupFolderState::Present;
    }
    return backups->DeliveredBefore(*found) ? BackupFolderState::Offline : BackupFolderState::Unknown;
}

// A version that cannot reach its backup folder goes to the temporary folder instead.
JobOutcome ParkVersion(const CopyContext& c) {
    const std::string parked = ParkedCopyPath(c.tempFilePath, c.job.src, c.job.dest);
    c.files.ForceFolders(FolderPart(parked));
    if (c.files.CopyFile(c.job.src, parked) != platform::CopyResult::Copied) return {kJobDestinationUnavailable, {}};
    return {kJobVersionParked, parked};
}

JobOutcome Unavailable(const CopyContext& c) {
    if (!c.fromTemp && c.job.currentversion > 0) return ParkVersion(c);
    return {kJobDestinationUnavailable, {}};
}

JobOutcome CopyHeld(const CopyContext& c) {
    const ChangeEvent& job = c.job;
    const platform::CopyResult copied = c.files.CopyFile(job.src, job.dest);
    if (copied == platform::CopyResult::NameNotAllowed) return {kJobNameNotAllowed, {}};
    if (copied != platform::CopyResult::Copied) return Unavailable(c);
    // maxversions must be positive: with 0 the "old" version would be the copy just made.
    if (job.currentversion > 0 && job.maxversions > 0 && job.currentversion >= job.maxversions) {
        const std::string old = SiblingVersionPath(job.dest, job.currentversion, job.currentversion - job.maxversions);
        if (old != job.dest && c.files.FileExists(old)) c.files.DeleteFile(old);
    }
    if (c.fromTemp) c.files.DeleteFile(job.src);
    return {kJobCopied, {}};
}

JobOutcome ExecuteCopy(const CopyContext& c) {
    if (!c.files.FileExists(c.job.src)) return {kJobSourceGone, {}};
    // A backup folder that is the watched folder under another name (a link, a ".." segment):
    // the "copy" would replace the user's own file, so it is refused and stays in the log.
    if (c.files.SameFile(c.job.src, c.job.dest)) return {kJobDestinationUnavailable, {}};
    // An unmounted drive's mount point is an ordinary folder: writing there would hide the
    // copies under the drive once it is mounted again.
    const bool offline = StateOfBackupFolder(c.job.dest, c.files, c.backups) == BackupFolderState::Offline;
    const std::string folder = FolderPart(c.job.dest);
    if (!offline && c.job.createfolder == 1 && !c.files.FolderExists(folder) &&
        c.files.ForceFolders(folder) == platform::CopyResult::NameNotAllowed)
        return {kJobNameNotAllowed, {}};
    std::unique_ptr<platform::ExclusiveHold> hold;
    if (c.job.waitexclusive == 1) {
        hold = c.files.HoldExclusive(c.job.src);
        if (!hold) return {kJobExclusiveRefused, {}};
    }
    return offline ? Unavailable(c) : CopyHeld(c);
}

JobOutcome ExecuteDelete(const ChangeEvent& job, FileOperations& files, BackupFolderRecord* backups) {
    // Deleted and re-created (an editor saving by renaming, a checkout): the backup is the live
    // file's now, and its copy job follows this one.
    if (files.FileExists(job.src)) return {kJobDeletionSuperseded, {}};
    if (!files.FolderExists(FolderPart(job.dest))) {
        if (StateOfBackupFolder(job.dest, files, backups) == BackupFolderState::Present)
            return {kJobBackupMissing, {}};
        return {kJobDestinationUnavailable, {}};
    }
    if (!files.FileExists(job.dest)) return {kJobBackupMissing, {}};
    // Never the user's file: a re-created source reached through another name of the backup folder.
    if (files.SameFile(job.src, job.dest)) return {kJobDeleteFailed, {}};
    return {files.DeleteFile(job.dest) ? kJobDeleted : kJobDeleteFailed, {}};
}

}  // namespace

JobOutcome ExecuteJob(const ChangeEvent& job, const std::string& tempFilePath, FileOperations& files,
                      BackupFolderRecord* backups) {
    switch (job.jobtype) {
    case ChangeCreated:
    case ChangeModified: {
        // Parking keeps the versioned name, so a parked copy is a numbered version whose name is its
        // destination's. Without that test a watched folder lying inside the temporary folder
        // would have its users' files deleted after every copy.
        const bool fromTemp = job.currentversion > 0 && NamePart(job.src) == NamePart(job.dest) &&
                              StartsWithFolder(job.src, tempFilePath, files.PathNamesIgnoreCase());
        return ExecuteCopy(CopyContext{job, tempFilePath, files, backups, fromTemp});
    }
    case ChangeDeleted:
        return ExecuteDelete(job, files, backups);
    default:
        return {kJobUnknownProblem, {}};
    }
}

std::string SiblingVersionPath(const std::string& dest, int currentVersion, int version) {
    const std::string folder = FolderPart(dest);
    const std::string name = NamePart(dest);
    // Appended rather than "." + text: GCC 12 at -O3 reports a false -Wrestrict on the latter.
    std::string marker = ".";
    marker += std::to_string(currentVersion);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string stem = name.substr(0, dot == std::string::npos ? name.size() : dot);
    if (EndsWith(stem, marker)) {
        return folder + stem.substr(0, stem.size() - marker.size()) + "." + std::to_string(version) + extension;
    }
    if (extension == marker) return folder + stem + "." + std::to_string(version);
    return dest;  // not a versioned name: there is no sibling to point at
}

std::string ParkedCopyPath(const std::string& tempFilePath, const std::string& src, const std::string& dest) {
    return tempFilePath + WithoutDrive(FolderPart(src)) + NamePart(dest);
}

}  // namespace pellmar
