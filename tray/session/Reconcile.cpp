// The backup comparison of one folder. One listing of the folder and one of its backup folder;
// the newest kept version of each file is found from the backup listing.
#include "tray/session/Reconcile.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "common/Paths.h"
#include "platform/CopyTemporaries.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/ProcessLiveness.h"
#include "tray/jobs/VersionNames.h"

namespace pellmar {
namespace {

constexpr std::int64_t kTimeSlackNanoseconds = 2'000'000'000;

struct Kept {
    platform::FolderEntry entry;
    std::int64_t version = -1;  // -1: the plain mirror copy
};

// Each reading of a version name is offered: the newest number of each original name wins.
void OfferVersionReadings(const platform::FolderEntry& entry, std::unordered_map<std::string, Kept>* newest) {
    for (const VersionReading& reading : VersionReadings(entry.name)) {
        Kept& kept = (*newest)[reading.original];
        if (reading.version > kept.version) kept = Kept{entry, reading.version};
    }
}

// A temporary of a copy that a crash or kill cut short is removed on the way; one of a live
// process (this one's own copies in flight) stays.
bool IsLeftoverOfEndedCopy(const std::string& folder, const platform::FolderEntry& entry) {
    const std::optional<std::uint64_t> owner = platform::CopyTemporaryOwner(entry.name);
    if (!owner || !platform::ProcessHasEnded(*owner)) return false;
    platform::RemoveFile(IncludeTrailingPathDelimiter(folder) + entry.name);
    return true;
}

struct BackupIndex {
    std::unordered_map<std::string, Kept> files;
    std::unordered_set<std::string> folders;
};

BackupIndex IndexBackupFolder(const std::string& folder, bool versioned) {
    BackupIndex index;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (entry.folder) index.folders.insert(entry.name);
        if (!entry.file || IsLeftoverOfEndedCopy(folder, entry)) continue;
        if (versioned) OfferVersionReadings(entry, &index.files);
        else index.files[entry.name] = Kept{entry, -1};
    }
    return index;
}

bool BackedUp(const platform::FolderEntry& file, const std::unordered_map<std::string, Kept>& backups) {
    const auto kept = backups.find(file.name);
    if (kept == backups.end()) return false;
    const platform::FolderEntry& copy = kept->second.entry;
    return copy.size == file.size && file.modifiedNanoseconds <= copy.modifiedNanoseconds + kTimeSlackNanoseconds &&
           (kept->second.version >= 0 || copy.modifiedNanoseconds <= file.modifiedNanoseconds + kTimeSlackNanoseconds);
}

bool Wanted(const CatchUpPlan& plan, std::string_view name) {
    for (const TMask& mask : plan.masks)
        if (mask.Matches(name)) return true;
    return false;
}

}  // namespace

CatchUpPlan PlanOf(const FolderScanner& scanner) {
    CatchUpPlan plan{scanner.GetRoot(), scanner.GetBackupPath(), scanner.GetSubfolders(), scanner.GetMaxVersions() > 0, {}};
    for (const std::string& filter : scanner.GetFilters()) {
        try {
            plan.masks.emplace_back(filter);
        } catch (const EMaskException&) {
            break;
        }
    }
    return plan;
}

void CompareFolderWithBackup(const CatchUpPlan& plan, const std::string& folder, FolderComparison* found) {
    const std::string prefix = IncludeTrailingPathDelimiter(folder);
    const std::vector<platform::FolderEntry> entries = platform::ListFolder(folder);
    const std::string backupFolder = BackupFolderOf(plan.root, plan.backup, plan.subfolders, folder);
    const BackupIndex backups = IndexBackupFolder(backupFolder, plan.versioned);
    for (const platform::FolderEntry& entry : entries) {
        const std::string path = prefix + entry.name;
        if (entry.folder) {
            if (!plan.subfolders) continue;
            found->subfolders.push_back(path);
            if (!backups.folders.contains(entry.name)) found->missingFolders.push_back(path);
        } else if (entry.file) {
            if (Wanted(plan, entry.name) && !BackedUp(entry, backups.files)) found->outOfDate.push_back(path);
        } else if (platform::InspectEntry(path) == platform::EntryKind::NameTooLong &&
                   (plan.subfolders || Wanted(plan, entry.name))) {
            // Neither file nor folder: its facts could not be read, here because of its length.
            found->unreachable.push_back(path);
        }
    }
}

}  // namespace pellmar
