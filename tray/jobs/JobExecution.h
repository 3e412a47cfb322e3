// One attempt at one job against the file system: the copy or delete, the exclusive hold, the
// pruning of the version that falls out of range and the parking of a version that cannot reach
// its backup folder. Produces the result code; the database and the log are the caller's.
// Pure logic over FileOperations; any thread, no shared state.
#pragma once

#include <string>

#include "tray/jobs/BackupFolderRecord.h"
#include "tray/jobs/FileOperations.h"
#include "tray/model/ChangeEvent.h"
#include "tray/model/JobResults.h"

namespace pellmar {

struct JobOutcome {
    int code = kJobUnknownProblem;
    std::string parkedCopy;  // a version parked in the temporary folder: the job's new source
    // The copy is staged (FileOperations::StageCopy): its final outcome is FinishStagedCopy's.
    bool staged = false;
};

// `tempFilePath` ends in a delimiter. With `backups`, a backup folder delivered into before and
// missing now, or now on another file system than at its delivery, counts as offline (deferred,
// versions parked) and nothing is written there; a deletion whose sub-folder is missing below a
// present backup folder has nothing to delete. A link is backed up as a link.
// With `mayStage`, a plain copy of a regular file (no version) is staged rather than made.
JobOutcome ExecuteJob(const ChangeEvent& job, const std::string& tempFilePath, FileOperations& files,
                      BackupFolderRecord* backups = nullptr, bool mayStage = false);

// The outcome of a staged copy once its commit gave `committed`.
JobOutcome FinishStagedCopy(const ChangeEvent& job, platform::CopyResult committed, FileOperations& files,
                            BackupFolderRecord* backups);

// Where a version that cannot reach its backup folder waits: the temporary folder, then the
// source's folder without its drive part (Linux: the leading "/"), then the versioned file name.
std::string ParkedCopyPath(const std::string& tempFilePath, const std::string& src, const std::string& dest);

}  // namespace pellmar
