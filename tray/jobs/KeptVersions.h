// The versions of one file kept in its backup folder, as the job worker meets them: the newest one
// still there, and the one that falls out of range once a new version is delivered. Touches files
// only through FileOperations; the names come from VersionNames.h.
#pragma once

#include <optional>
#include <string>

#include "tray/jobs/FileOperations.h"
#include "tray/model/ChangeEvent.h"

namespace pellmar {

// A copy job that makes a numbered version (a version number and a positive number kept).
bool IsVersionJob(const ChangeEvent& job);

// The newest version of the file that is still kept, the one about to fall out of range included.
std::optional<std::string> NewestKeptVersion(const ChangeEvent& job, FileOperations& files);

// Deletes the version that the job's new one pushed out of range, when it is there.
void PruneOldVersion(const ChangeEvent& job, FileOperations& files);

}  // namespace pellmar
