// The record file holds one backup folder per line, each ending in the path delimiter, then a tab
// and the mount point it was on. Lines are only ever appended (a later line of a folder wins),
// so a crash can at worst lose the newest one.
#include "tray/jobs/BackupFolderRecord.h"

#include <sstream>

#include "common/Paths.h"
#include "platform/FileSystem.h"

namespace pellmar {
namespace {

bool Contains(const std::string& folder, const std::string& path) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

}  // namespace

BackupFolderRecord::BackupFolderRecord(std::string recordFile, std::function<std::vector<std::string>()> currentFolders)
    : recordFile_(std::move(recordFile)), currentFolders_(std::move(currentFolders)) {
    if (recordFile_.empty()) return;
    std::istringstream lines(platform::ReadTextFile(recordFile_));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) delivered_[line];
        else delivered_[line.substr(0, tab)] = line.substr(tab + 1);
    }
}

std::optional<std::string> BackupFolderRecord::FolderOf(const std::string& dest) const {
    std::optional<std::string> best;
    auto consider = [&](const std::string& candidate) {
        if (candidate.empty()) return;
        const std::string folder = IncludeTrailingPathDelimiter(candidate);
        if (Contains(folder, dest) && (!best || folder.size() > best->size())) best = folder;
    };
    if (currentFolders_) {
        for (const std::string& folder : currentFolders_()) consider(folder);
    }
    for (const auto& [folder, mountPoint] : delivered_) consider(folder);
    return best;
}

std::string BackupFolderRecord::MountPointOf(const std::string& folder) const {
    const auto known = delivered_.find(folder);
    return known == delivered_.end() ? std::string() : known->second;
}

void BackupFolderRecord::Remember(const std::string& folder, const std::string& mountPoint) {
    const auto known = delivered_.find(folder);
    if (known != delivered_.end() && known->second == mountPoint) return;
    delivered_[folder] = mountPoint;
    if (recordFile_.empty()) return;
    // Failing to write only weakens the offline test for this folder; the copy itself stands.
    platform::AppendTextDurably(recordFile_, folder + "\t" + mountPoint + "\n");
}

}  // namespace pellmar
