// The choice of what a restore writes back: one file to one of its kept copies, or every file of
// a folder to where it stood at a point in time, each to its own place or below another folder.
// Pure: the file system is read only by the listing the plan is made from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tray/restore/BackupListing.h"

namespace pellmar {

struct RestoreItem {
    std::string source;           // the monitored file
    std::string backup;           // its backup path without a version number
    std::int32_t newestKept = 0;  // the highest version number kept of it (0 without versions)
    KeptCopy copy;                // what is written back
    std::string target;           // where it is written
};

// Where a file of the restored `path` goes: its own place, or below `toFolder` as it stood below
// `path` (a file restored on its own goes straight into `toFolder`).
std::string RestoreTarget(const std::string& source, const std::string& path, const std::optional<std::string>& toFolder);

// The kept copy numbered `number`; nothing when it is not kept.
std::optional<RestoreItem> PlanVersion(const FileHistory& file, std::int32_t number, const std::string& path,
                                       const std::optional<std::string>& toFolder);

// For each file the newest copy not newer than `at`; a file of which nothing was kept by then is
// left out, so it is left alone.
std::vector<RestoreItem> PlanPointInTime(const std::vector<FileHistory>& files, DateTime at, const std::string& path,
                                         const std::optional<std::string>& toFolder);

}  // namespace pellmar
