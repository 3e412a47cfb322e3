// Which backup folders Pellmar has delivered into, kept in a small file in the data folder so that
// it survives restarts. A backup folder delivered into before and missing now is offline (a drive
// or share not mounted), and nothing may be written to the disk underneath it.
// Does not decide what a job does about it; ExecuteJob does.
#pragma once

#include <functional>
#include <optional>
#include <set>
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
    // Remembers `folder` (as FolderOf returned it); written through to the file at once.
    void Remember(const std::string& folder);

private:
    std::string recordFile_;
    std::function<std::vector<std::string>()> currentFolders_;
    std::set<std::string> delivered_;
};

}  // namespace pellmar
