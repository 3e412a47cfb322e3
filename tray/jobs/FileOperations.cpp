// The real file-system steps of a job, forwarded to the platform layer. No decisions are made
// here: what a failure means is ExecuteJob's business.
#include "tray/jobs/FileOperations.h"

#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"
#include "tray/util/Paths.h"
#include "tray/util/TextCase.h"
#include "tray/util/Utf8Path.h"

namespace pellmar {

bool SystemFileOperations::FileExists(const std::string& path) { return platform::FileExists(path); }

bool SystemFileOperations::FolderExists(const std::string& path) { return platform::FolderExists(path); }

platform::CopyResult SystemFileOperations::ForceFolders(const std::string& path) {
    return pellmar::ForceCopyFolders(path);
}

platform::CopyResult SystemFileOperations::CopyFile(const std::string& source, const std::string& destination) {
    return platform::CopyFileReplacing(source, destination);
}

bool SystemFileOperations::DeleteFile(const std::string& path) { return platform::RemoveFile(path); }

std::unique_ptr<platform::ExclusiveHold> SystemFileOperations::HoldExclusive(const std::string& path) {
    return platform::TakeExclusiveHold(path);
}

bool SystemFileOperations::PathNamesIgnoreCase() { return platform::PathNamesIgnoreCase(); }

bool SystemFileOperations::SameFile(const std::string& first, const std::string& second) {
    namespace fs = std::filesystem;
    // The same folder and name, whether or not the file exists. Not the same inode: a backup that
    // is a hard link of its source is rightly replaced by a copy of its own.
    std::error_code error;
    const fs::path a = PathFromUtf8(first), b = PathFromUtf8(second);
    const std::string nameA = Utf8FromPath(a.filename()), nameB = Utf8FromPath(b.filename());
    const bool sameName = PathNamesIgnoreCase() ? EqualIgnoringAsciiCase(nameA, nameB) : nameA == nameB;
    return sameName && fs::equivalent(a.parent_path(), b.parent_path(), error);
}

}  // namespace pellmar
