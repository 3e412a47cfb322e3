// The record file holds one backup folder per line, each ending in the path delimiter. Lines
// are only ever appended, so a crash can at worst lose the newest one.
#include "tray/jobs/BackupFolderRecord.h"

#include <sstream>

#include "platform/FileSystem.h"
#include "tray/util/Paths.h"

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
        if (!line.empty()) delivered_.insert(line);
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
    for (const std::string& folder : delivered_) consider(folder);
    return best;
}

void BackupFolderRecord::Remember(const std::string& folder) {
    if (!delivered_.insert(folder).second || recordFile_.empty()) return;
    // Failing to write only weakens the offline test for this folder; the copy itself stands.
    platform::AppendTextDurably(recordFile_, folder + "\n");
}

}  // namespace pellmar
