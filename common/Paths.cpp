// Path text helpers and folder creation with every missing parent. What counts as a delimiter
// is the platform's; where the creation of levels stops (a root, a drive) is decided here.
#include "common/Paths.h"

#include "common/TextCase.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace pellmar {

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && platform::IsPathDelimiter(path.back())) return path;
    return path + platform::PathDelimiter();
}

std::string ExcludeTrailingPathDelimiter(std::string path) {
    while (path.size() > 1 && platform::IsPathDelimiter(path.back())) path.pop_back();
    return path;
}

bool SamePathText(std::string_view a, std::string_view b) {
    return platform::PathNamesIgnoreCase() ? EqualIgnoringAsciiCase(a, b) : a == b;
}

namespace {

// A drive ("C:") cannot be created, only found. On Linux the root "/" is the only level of this
// kind; it reads as the empty text once its delimiter is cut off.
bool IsDriveOrRoot(const std::string& folder) {
    if (folder.empty()) return true;
    const char letter = static_cast<char>(folder[0] | 0x20);
    return folder.size() == 2 && folder[1] == ':' && letter >= 'a' && letter <= 'z';
}

}  // namespace

platform::CopyResult ForceCopyFolders(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && platform::IsPathDelimiter(folder.back())) folder.pop_back();
    if (IsDriveOrRoot(folder)) {
        const bool exists = platform::FolderExists(folder.empty() ? path : folder);
        return exists ? platform::CopyResult::Copied : platform::CopyResult::Failed;
    }
    if (platform::FolderExists(folder)) return platform::CopyResult::Copied;
    std::size_t cut = folder.size();
    while (cut > 0 && !platform::IsPathDelimiter(folder[cut - 1])) --cut;
    if (cut > 0) {
        // Below a level whose name was refused, every deeper level fails only as "missing".
        const platform::CopyResult parent = ForceCopyFolders(folder.substr(0, cut));
        if (parent == platform::CopyResult::NameNotAllowed) return parent;
    }
    return platform::CreateFolderLevel(folder);
}

bool ForceFolders(const std::string& path) { return ForceCopyFolders(path) == platform::CopyResult::Copied; }

}  // namespace pellmar
