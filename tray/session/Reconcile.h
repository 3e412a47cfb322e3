// Comparing a monitor's folder with its backup folder, one folder at a time: which files pass the
// monitor's masks and have a backup that is missing or out of date. What is already backed up is
// left alone, so versions are not multiplied. Pure over the file system: no scanner, no thread.
// The walk that drives it is CatchUpWalk.
#pragma once

#include <string>
#include <vector>

#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/Masks.h"

namespace pellmar {

// What a comparison needs of a monitor, copied so that it can run off the main thread.
struct CatchUpPlan {
    std::string root;
    std::string backup;
    bool subfolders = true;
    bool versioned = false;
    // The replicate masks up to the first one that does not compile: a name that matches none of
    // them fails, as it fails the monitor's own test.
    std::vector<TMask> masks;
};

// Main thread: the plan of the monitor as configured now.
CatchUpPlan PlanOf(const FolderScanner& scanner);

// What the comparison of one folder found.
struct FolderComparison {
    std::vector<std::string> outOfDate;
    std::vector<std::string> subfolders;
    // Entries whose full path is longer than the system allows: nothing can reach them.
    std::vector<std::string> unreachable;
    // Sub-folders the backup has no folder for (an empty one would otherwise never be made).
    std::vector<std::string> missingFolders;
};

// Any thread. Lists `folder` (the root or a folder below it) and its backup folder; appends the
// full path of every wanted file whose backup copy (for a versioned monitor: its newest kept
// version) is missing, of another size or older than the file, allowing for the two-second
// resolution of FAT and SMB backup drives, to outOfDate; when the plan watches sub-folders,
// every sub-folder (links to folders are never followed) to subfolders, and to missingFolders
// too when the backup lacks it; and what its path makes unreachable to unreachable. Temporaries that copies of ended processes left in the backup
// folder are removed.
void CompareFolderWithBackup(const CatchUpPlan& plan, const std::string& folder, FolderComparison* found);

}  // namespace pellmar
