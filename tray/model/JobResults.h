// What a job attempt's result code means: for the job (removed or tried again, logged or not)
// and for its log entry (message, status, cancel flag). Pure functions; the table itself is fixed.
// The words the log shows for statuses and operations stay with the log (tray/log/LogCodes.h).
#pragma once

#include <cstdint>
#include <string>

namespace pellmar {

enum LogStatus : std::int32_t { kLogInformation = 0, kLogWarning = 1, kLogError = 2 };

// Result codes of one job attempt, produced by the job worker. Whether the job stays deferred in
// the table or is removed, and whether the attempt is logged, is JobStaysQueued / JobIsLogged.
enum JobResult : std::int32_t {
    kJobUnknownProblem = 0,
    kJobExclusiveRefused = 1,
    kJobDestinationUnavailable = 2,
    kJobVersionParked = 3,
    kJobFileInUse = 4,
    kJobDeleteFailed = 5,
    kJobSourceGone = 6,
    kJobBackupMissing = 7,
    kJobCopied = 8,
    kJobDeleted = 9,
    // A deletion whose file exists again: the backup belongs to the live file now.
    kJobDeletionSuperseded = 10,
    // The backup's file system cannot store the file's name; retrying cannot help.
    kJobNameNotAllowed = 11,
    // A new version equal to the newest kept one: the kept copy takes the new number instead.
    kJobVersionUnchanged = 12,
    // The name or the whole path is longer than the system allows; retrying cannot help.
    kJobNameTooLong = 13,
    // The backup's file system has no room; retried like an offline destination.
    kJobBackupFull = 14,
    // The source exists but cannot be read (permissions); retried.
    kJobSourceUnreadable = 15,
    // A pipe, socket or device: there is no content to copy, now or later.
    kJobSpecialFile = 16,
    // Nothing to do: the source was gone before its copy and never had a backup (a temporary
    // file), a deleted file had no backup, or it is a folder where sub-folders are not
    // replicated (or one that is there already). Not logged.
    kJobNothingToCopy = 17,
    // The source is a folder and sub-folders are replicated: the backup has the folder now.
    kJobFolderCreated = 18,
    // A folder that left the watched tree (removed, moved out, renamed) with deletions
    // replicated: its backup folder went with everything in it.
    kJobFolderDeleted = 19,
};

// True for the codes that leave the job deferred in the table to be tried again.
bool JobStaysQueued(std::int32_t resultCode);
// False for the outcomes the worker records without a log entry.
bool JobIsLogged(std::int32_t resultCode);

// A code outside the table is treated as code 0, "unknown problem", so that it is never shown as a
// success nor read past the end of the table.
const std::string& JobResultMessage(std::int32_t resultCode);
std::int32_t LogStatusOfResult(std::int32_t resultCode);
bool CanCancelResult(std::int32_t resultCode);

}  // namespace pellmar
