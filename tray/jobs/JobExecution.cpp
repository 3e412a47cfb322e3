// ExecuteJob and the path arithmetic of parked copies; the names of versions and the kept ones are
// VersionNames' and KeptVersions'. Touches files only through FileOperations; the database and the
// log belong to the pass loop.
#include "tray/jobs/JobExecution.h"

#include <optional>

#include "common/TextCase.h"
#include "platform/Environment.h"
#include "tray/jobs/KeptVersions.h"

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

std::string WithoutTrailingDelimiter(std::string folder) {
    while (!folder.empty() && platform::IsPathDelimiter(folder.back())) folder.pop_back();
    return folder;
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
    bool mayStage = false;
};

enum class BackupFolderState { Unknown, Present, Offline };

// An unmounted drive leaves its mount point as an ordinary empty folder of the file system
// below, so a folder delivered into before counts as present only on the file system it was
// on then.
BackupFolderState StateOfBackupFolder(const std::string& dest, FileOperations& files, BackupFolderRecord* backups) {
    if (!backups) return BackupFolderState::Unknown;
    const std::optional<std::string> found = backups->FolderOf(dest);
    if (!found || !backups->DeliveredBefore(*found)) return BackupFolderState::Unknown;
    const std::optional<std::string> mountPoint = files.MountPointOf(*found);
    if (!mountPoint) return BackupFolderState::Offline;
    const std::string recorded = backups->MountPointOf(*found);
    return recorded.empty() || recorded == *mountPoint ? BackupFolderState::Present : BackupFolderState::Offline;
}

// Recorded after the delivery, so that a backup folder the first copy created is protected too.
void RememberDelivery(const std::string& dest, FileOperations& files, BackupFolderRecord* backups) {
    if (!backups) return;
    const std::optional<std::string> found = backups->FolderOf(dest);
    if (!found || !backups->MountPointOf(*found).empty()) return;
    if (const std::optional<std::string> mountPoint = files.MountPointOf(*found)) backups->Remember(*found, *mountPoint);
}

// A source that vanished before its copy and never had a backup was a temporary file: its job
// ends without an entry, or an editor's save would fill the log with warnings.
JobOutcome SourceGone(const CopyContext& c) {
    const bool hadBackup = IsVersionJob(c.job) ? NewestKeptVersion(c.job, c.files).has_value()
                                               : c.files.Inspect(c.job.dest) != platform::EntryKind::Missing;
    return {c.fromTemp || hadBackup ? kJobSourceGone : kJobNothingToCopy, {}};
}

// A version that cannot reach its backup folder goes to the temporary folder instead.
JobOutcome ParkVersion(const CopyContext& c, int code) {
    const std::string parked = ParkedCopyPath(c.tempFilePath, c.job.src, c.job.dest);
    c.files.ForceFolders(FolderPart(parked));
    if (c.files.CopyFile(c.job.src, parked) != platform::CopyResult::Copied) return {code, {}};
    return {code == kJobBackupFull ? kJobBackupFull : kJobVersionParked, parked};
}

JobOutcome Unavailable(const CopyContext& c, int code = kJobDestinationUnavailable) {
    if (!c.fromTemp && c.job.currentversion > 0) return ParkVersion(c, code);
    return {code, {}};
}

JobOutcome FailedCopy(const CopyContext& c, platform::CopyResult result) {
    switch (result) {
    case platform::CopyResult::NameNotAllowed: return {kJobNameNotAllowed, {}};
    case platform::CopyResult::NameTooLong: return {kJobNameTooLong, {}};
    case platform::CopyResult::SourceUnreadable: return {kJobSourceUnreadable, {}};
    case platform::CopyResult::NoSpace: return Unavailable(c, kJobBackupFull);
    default: return Unavailable(c);
    }
}

JobOutcome Delivered(const CopyContext& c, int code) {
    PruneOldVersion(c.job, c.files);
    if (c.fromTemp) c.files.DeleteFile(c.job.src);
    RememberDelivery(c.job.dest, c.files, c.backups);
    return {code, {}};
}

JobOutcome CopyHeld(const CopyContext& c, platform::EntryKind kind) {
    const ChangeEvent& job = c.job;
    // Two saves in quick succession give two jobs that both copy the newest content: the kept
    // version takes the new number instead of a second identical file.
    if (kind == platform::EntryKind::File) {
        const std::optional<std::string> newest = NewestKeptVersion(job, c.files);
        if (newest && c.files.SameContent(job.src, *newest) && c.files.RenameFile(*newest, job.dest))
            return Delivered(c, kJobVersionUnchanged);
    }
    if (kind == platform::EntryKind::File && c.mayStage && !IsVersionJob(job) && !c.fromTemp) {
        const platform::CopyResult staged = c.files.StageCopy(job.src, job.dest);
        if (staged != platform::CopyResult::Copied) return FailedCopy(c, staged);
        return {kJobCopied, {}, true};
    }
    const platform::CopyResult copied =
        kind == platform::EntryKind::Link ? c.files.CopyLink(job.src, job.dest) : c.files.CopyFile(job.src, job.dest);
    if (copied != platform::CopyResult::Copied) return FailedCopy(c, copied);
    return Delivered(c, kJobCopied);
}

JobOutcome CreateFolder(const CopyContext& c, bool offline) {
    if (!c.job.createfolder) return {kJobNothingToCopy, {}};
    if (offline) return {kJobDestinationUnavailable, {}};
    // Made already by a copy of a file inside it: nothing worth an entry.
    if (c.files.FolderExists(c.job.dest)) return {kJobNothingToCopy, {}};
    const platform::CopyResult made = c.files.ForceFolders(c.job.dest);
    if (made != platform::CopyResult::Copied) return FailedCopy(c, made);
    RememberDelivery(c.job.dest, c.files, c.backups);
    return {kJobFolderCreated, {}};
}

// The kinds of source that end the job before any copy; nothing for a file or a link.
std::optional<JobOutcome> RefusedSource(const CopyContext& c, platform::EntryKind kind) {
    switch (kind) {
    case platform::EntryKind::Missing: return SourceGone(c);
    case platform::EntryKind::NameTooLong: return JobOutcome{kJobNameTooLong, {}};
    case platform::EntryKind::Unreadable: return JobOutcome{kJobSourceUnreadable, {}};
    case platform::EntryKind::Special: return JobOutcome{kJobSpecialFile, {}};
    default: return std::nullopt;
    }
}

JobOutcome ExecuteCopy(const CopyContext& c) {
    const platform::EntryKind kind = c.files.Inspect(c.job.src);
    if (std::optional<JobOutcome> refused = RefusedSource(c, kind)) return *refused;
    // A backup folder that is the watched folder under another name (a link, a ".." segment):
    // the "copy" would replace the user's own file, so it is refused and stays in the log.
    if (c.files.SameFile(c.job.src, c.job.dest)) return {kJobDestinationUnavailable, {}};
    const bool offline = StateOfBackupFolder(c.job.dest, c.files, c.backups) == BackupFolderState::Offline;
    if (kind == platform::EntryKind::Folder) return CreateFolder(c, offline);
    const std::string folder = FolderPart(c.job.dest);
    if (!offline && c.job.createfolder && !c.files.FolderExists(folder)) {
        const platform::CopyResult made = c.files.ForceFolders(folder);
        if (made == platform::CopyResult::NameNotAllowed || made == platform::CopyResult::NameTooLong)
            return FailedCopy(c, made);
    }
    std::unique_ptr<platform::ExclusiveHold> hold;
    // A link is copied as its target text, which no other program can be writing.
    if (c.job.waitexclusive && kind == platform::EntryKind::File) {
        hold = c.files.HoldExclusive(c.job.src);
        if (!hold) return {kJobExclusiveRefused, {}};
    }
    return offline ? Unavailable(c) : CopyHeld(c, kind);
}

// After the last file of a deleted folder went (an "rm -rf"), its backup folders would stay as
// an empty skeleton. Each level goes only when it is empty and its source folder is gone too,
// and never the backup folder itself.
void RemoveEmptiedFolders(const ChangeEvent& job, FileOperations& files, BackupFolderRecord* backups) {
    const std::optional<std::string> top = backups ? backups->FolderOf(job.dest) : std::nullopt;
    if (!job.createfolder || !top) return;
    std::string source = WithoutTrailingDelimiter(FolderPart(job.src));
    std::string backup = WithoutTrailingDelimiter(FolderPart(job.dest));
    const std::string root = WithoutTrailingDelimiter(*top);
    while (backup.size() > root.size() && files.Inspect(source) == platform::EntryKind::Missing &&
           files.RemoveEmptyFolder(backup)) {
        source = WithoutTrailingDelimiter(FolderPart(source));
        backup = WithoutTrailingDelimiter(FolderPart(backup));
    }
}

// A folder that left the tree takes its backup folder along. Only strictly inside a backup folder
// this program delivers into, and never when that folder's drive is not the one it delivered to.
JobOutcome DeleteFolder(const ChangeEvent& job, FileOperations& files, BackupFolderRecord* backups) {
    const std::optional<std::string> top = backups ? backups->FolderOf(job.dest) : std::nullopt;
    if (!job.createfolder || !top || WithoutTrailingDelimiter(*top).size() >= job.dest.size())
        return {kJobNothingToCopy, {}};
    if (StateOfBackupFolder(job.dest, files, backups) == BackupFolderState::Offline)
        return {kJobDestinationUnavailable, {}};
    // Missing: an "rm -rf" whose files took their emptied folders along already.
    if (files.Inspect(job.dest) != platform::EntryKind::Folder) return {kJobNothingToCopy, {}};
    if (files.SameFile(job.src, job.dest) || !files.RemoveTree(job.dest)) return {kJobDeleteFailed, {}};
    RemoveEmptiedFolders(job, files, backups);
    return {kJobFolderDeleted, {}};
}

JobOutcome ExecuteDelete(const ChangeEvent& job, bool folder, FileOperations& files, BackupFolderRecord* backups) {
    // Deleted and re-created (an editor saving by renaming, a checkout): the backup is the live
    // file's now, and its copy job follows this one.
    const platform::EntryKind source = files.Inspect(job.src);
    if (source != platform::EntryKind::Missing && source != platform::EntryKind::NameTooLong)
        return {kJobDeletionSuperseded, {}};
    if (folder) return DeleteFolder(job, files, backups);
    const BackupFolderState state = StateOfBackupFolder(job.dest, files, backups);
    if (state == BackupFolderState::Offline) return {kJobDestinationUnavailable, {}};
    if (!files.FolderExists(FolderPart(job.dest)))
        return {state == BackupFolderState::Present ? kJobBackupMissing : kJobDestinationUnavailable, {}};
    const platform::EntryKind backup = files.Inspect(job.dest);
    // No backup to delete: mostly a temporary file (an editor's, git's lock files) that was
    // renamed or removed before its copy ran. The end is what the user wants, and a warning
    // for every save would bury the entries that matter.
    if (backup == platform::EntryKind::Missing) return {kJobNothingToCopy, {}};
    if (backup == platform::EntryKind::Folder) return {kJobBackupMissing, {}};
    // Never the user's file: a re-created source reached through another name of the backup folder.
    if (files.SameFile(job.src, job.dest)) return {kJobDeleteFailed, {}};
    if (!files.DeleteFile(job.dest)) return {kJobDeleteFailed, {}};
    RemoveEmptiedFolders(job, files, backups);
    return {kJobDeleted, {}};
}

}  // namespace

JobOutcome ExecuteJob(const ChangeEvent& given, const std::string& tempFilePath, FileOperations& files,
                      BackupFolderRecord* backups, bool mayStage) {
    // A job of a folder names it with a trailing delimiter; the steps take the folder's own name.
    const bool folder = NamesFolder(given);
    ChangeEvent plain;
    if (folder) {
        plain = given;
        plain.src = WithoutTrailingDelimiter(plain.src);
        plain.dest = WithoutTrailingDelimiter(plain.dest);
    }
    const ChangeEvent& job = folder ? plain : given;
    switch (job.jobtype) {
    case ChangeCreated:
    case ChangeModified: {
        // Parking keeps the versioned name, so a parked copy is a numbered version whose name is its
        // destination's. Without that test a watched folder lying inside the temporary folder
        // would have its users' files deleted after every copy.
        const bool fromTemp = job.currentversion > 0 && NamePart(job.src) == NamePart(job.dest) &&
                              StartsWithFolder(job.src, tempFilePath, files.PathNamesIgnoreCase());
        return ExecuteCopy(CopyContext{job, tempFilePath, files, backups, fromTemp, mayStage});
    }
    case ChangeDeleted:
        return ExecuteDelete(job, folder, files, backups);
    default:
        return {kJobUnknownProblem, {}};
    }
}

JobOutcome FinishStagedCopy(const ChangeEvent& job, platform::CopyResult committed, FileOperations& files,
                            BackupFolderRecord* backups) {
    const std::string noTemporaryFolder;  // a staged copy is never a version, so never parked
    const CopyContext c{job, noTemporaryFolder, files, backups, false};
    return committed == platform::CopyResult::Copied ? Delivered(c, kJobCopied) : FailedCopy(c, committed);
}

std::string ParkedCopyPath(const std::string& tempFilePath, const std::string& src, const std::string& dest) {
    return tempFilePath + WithoutDrive(FolderPart(src)) + NamePart(dest);
}

}  // namespace pellmar
