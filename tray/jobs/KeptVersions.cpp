// The backup folder's side of versions: probing for the newest kept one and pruning the oldest.
#include "tray/jobs/KeptVersions.h"

#include <algorithm>

#include "tray/jobs/VersionNames.h"

namespace pellmar {
namespace {

// Versions further back than this are not looked for: a file that old is simply copied anew.
constexpr int kVersionsProbed = 100;

}  // namespace

bool IsVersionJob(const ChangeEvent& job) { return job.currentversion > 0 && job.maxversions > 0; }

std::optional<std::string> NewestKeptVersion(const ChangeEvent& job, FileOperations& files) {
    if (!IsVersionJob(job)) return std::nullopt;
    const int oldest = std::max({1, job.currentversion - job.maxversions, job.currentversion - kVersionsProbed});
    for (int version = job.currentversion - 1; version >= oldest; --version) {
        const std::string path = SiblingVersionPath(job.dest, job.currentversion, version);
        if (path != job.dest && files.Inspect(path) != platform::EntryKind::Missing) return path;
    }
    return std::nullopt;
}

// maxversions must be positive: with 0 the "old" version would be the copy just made.
void PruneOldVersion(const ChangeEvent& job, FileOperations& files) {
    if (!IsVersionJob(job) || job.currentversion < job.maxversions) return;
    const std::string old = SiblingVersionPath(job.dest, job.currentversion, job.currentversion - job.maxversions);
    if (old != job.dest && files.Inspect(old) != platform::EntryKind::Missing) files.DeleteFile(old);
}

}  // namespace pellmar
