#include "tray/util/Paths.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace pellmar {

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && platform::IsPathDelimiter(path.back())) return path;
    return path + platform::PathDelimiter();
}

bool ForceFolders(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && platform::IsPathDelimiter(folder.back())) folder.pop_back();
    if (folder.size() <= 2 || platform::FolderExists(folder)) return platform::FolderExists(folder);
    std::size_t cut = folder.size();
    while (cut > 0 && !platform::IsPathDelimiter(folder[cut - 1])) --cut;
    if (cut > 0) ForceFolders(folder.substr(0, cut));
    return platform::CreateFolder(folder);
}

}  // namespace pellmar
