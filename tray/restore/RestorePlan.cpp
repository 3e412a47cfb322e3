#include "tray/restore/RestorePlan.h"

#include <algorithm>

#include "common/Paths.h"
#include "platform/Environment.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {
namespace {

RestoreItem ItemOf(const FileHistory& file, const KeptCopy& copy, const std::string& path,
                   const std::optional<std::string>& toFolder) {
    return {file.source, file.backup, file.copies.empty() ? 0 : file.copies.back().number, copy,
            RestoreTarget(file.source, path, toFolder)};
}

}  // namespace

std::string RestoreTarget(const std::string& source, const std::string& path, const std::optional<std::string>& toFolder) {
    if (!toFolder) return source;
    std::string within(FileNamePart(source));
    const std::string folder = ExcludeTrailingPathDelimiter(path);
    if (source.size() > folder.size() + 1 && source.compare(0, folder.size(), folder) == 0 &&
        platform::IsPathDelimiter(source[folder.size()]))
        within = source.substr(folder.size() + 1);
    return IncludeTrailingPathDelimiter(*toFolder) + within;
}

std::optional<RestoreItem> PlanVersion(const FileHistory& file, std::int32_t number, const std::string& path,
                                       const std::optional<std::string>& toFolder) {
    auto kept = std::find_if(file.copies.begin(), file.copies.end(),
                             [number](const KeptCopy& copy) { return copy.number == number; });
    if (kept == file.copies.end()) return std::nullopt;
    return ItemOf(file, *kept, path, toFolder);
}

std::vector<RestoreItem> PlanPointInTime(const std::vector<FileHistory>& files, DateTime at, const std::string& path,
                                         const std::optional<std::string>& toFolder) {
    std::vector<RestoreItem> items;
    for (const FileHistory& file : files) {
        const KeptCopy* chosen = nullptr;
        for (const KeptCopy& copy : file.copies)
            if (copy.modified <= at && (!chosen || copy.modified >= chosen->modified)) chosen = &copy;
        if (chosen) items.push_back(ItemOf(file, *chosen, path, toFolder));
    }
    return items;
}

}  // namespace pellmar
