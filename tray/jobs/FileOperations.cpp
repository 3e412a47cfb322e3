// The real file-system steps of a job, forwarded to the platform layer. No decisions are made
// here: what a failure means is ExecuteJob's business.
#include "tray/jobs/FileOperations.h"

#include "platform/FileSystem.h"
#include "tray/util/Paths.h"

namespace pellmar {

bool SystemFileOperations::FileExists(const std::string& path) { return platform::FileExists(path); }

bool SystemFileOperations::FolderExists(const std::string& path) { return platform::FolderExists(path); }

void SystemFileOperations::ForceFolders(const std::string& path) { pellmar::ForceFolders(path); }

bool SystemFileOperations::CopyFile(const std::string& source, const std::string& destination) {
    return platform::CopyFileReplacing(source, destination);
}

bool SystemFileOperations::DeleteFile(const std::string& path) { return platform::RemoveFile(path); }

std::unique_ptr<platform::ExclusiveHold> SystemFileOperations::HoldExclusive(const std::string& path) {
    return platform::TakeExclusiveHold(path);
}

bool SystemFileOperations::PathNamesIgnoreCase() { return platform::PathNamesIgnoreCase(); }

}  // namespace pellmar
