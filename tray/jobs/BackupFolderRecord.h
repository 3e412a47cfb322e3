// Which backup folders Pellmar has delivered into, and the mount point of the file system each
// was on, kept in a small file in the data folder so that it survives restarts. A backup folder
// delivered into before and missing now, or standing on another file system (an unmounted
// drive's empty mount point), is offline, and nothing may be written to the disk underneath it.
// Does not decide what a job does about it; ExecuteJob does.
#pragma once

#include <functional>
#include <optional>
#include <map>
#include <string>
#include <vector>

namespace pellmar {

// The record's file name in the data folder.
inline constexpr const char* kBackupFolderRecordName = "delivered-backup-folders.txt";

// Thread contract: one thread (the job worker); `currentFolders` is called on it and must be
// thread-safe on the provider's side.
class BackupFolderRecord {
public:
    // `recordFile` empty: nothing is remembered across runs. `currentFolders` lists the backup
    // folders of the monitors as they are now.
    BackupFolderRecord(std::string recordFile, std::function<std::vector<std::string>()> currentFolders);

    // The backup folder `dest` lies in (the longest of the monitors' and the remembered ones),
    // ending in the path delimiter; nothing when it lies in none.
    std::optional<std::string> FolderOf(const std::string& dest) const;

    bool DeliveredBefore(const std::string& folder) const { return delivered_.contains(folder); }
    // The mount point its file system had at the delivery; empty when not known (a record
    // written before mount points were kept: it is learnt at the next delivery).
    std::string MountPointOf(const std::string& folder) const;
    // Remembers `folder` (as FolderOf returned it) on the file system mounted at `mountPoint`;
    // written through to the file at once.
    void Remember(const std::string& folder, const std::string& mountPoint);

private:
    std::string recordFile_;
    std::function<std::vector<std::string>()> currentFolders_;
    std::map<std::string, std::string> delivered_;  // folder -> mount point
};

}  // namespace pellmar
