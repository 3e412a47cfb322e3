// Folders are compared as the system resolves them: links, "." and ".." followed as far as the
// path exists, one trailing delimiter, and the platform's case rule for names.
#include "tray/monitor/SetupConflicts.h"

#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "common/TextCase.h"
#include "common/Utf8Path.h"
#include "platform/FileCopy.h"
#include "tray/monitor/Masks.h"

namespace pellmar {
namespace {

std::string Resolved(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(PathFromUtf8(folder), error);
    return IncludeTrailingPathDelimiter(error ? folder : Utf8FromPath(resolved.lexically_normal()));
}

bool Same(const std::string& a, const std::string& b) {
    return platform::PathNamesIgnoreCase() ? EqualIgnoringAsciiCase(a, b) : a == b;
}

// True when `inner` is `outer` or a folder below it (both resolved, with trailing delimiters).
bool Within(const std::string& inner, const std::string& outer) {
    return inner.size() >= outer.size() && Same(inner.substr(0, outer.size()), outer);
}

void CheckMasks(const ScannerValues& values, std::vector<SetupConflict>* found) {
    for (const auto* list : {&values.filters, &values.exceptions}) {
        for (const std::string& mask : *list) {
            try {
                TMask compiled(mask);
            } catch (const EMaskException& error) {
                found->push_back({SetupField::Filters, error.what()});
            }
        }
    }
}

void CheckOthers(const std::string& root, const std::string& backup, const std::vector<ScannerValues>& others,
                 std::vector<SetupConflict>* found) {
    for (const ScannerValues& other : others) {
        if (other.root.empty() || other.backuppath.empty()) continue;
        const std::string otherRoot = Resolved(other.root), otherBackup = Resolved(other.backuppath);
        if (Within(backup, otherRoot) || Within(otherRoot, backup))
            found->push_back({SetupField::BackupFolder, "The backup folder must not lie in or around the folder "
                                                        "another monitor watches (" + other.root + ")."});
        if (Within(root, otherBackup) || Within(otherBackup, root))
            found->push_back({SetupField::MonitoredFolder, "The monitored folder must not lie in or around the backup "
                                                           "folder of another monitor (" + other.backuppath + ")."});
    }
}

}  // namespace

std::vector<SetupConflict> CheckSetupConflicts(const ScannerValues& values, const std::vector<ScannerValues>& others) {
    std::vector<SetupConflict> found;
    CheckMasks(values, &found);
    if (values.root.empty() || values.backuppath.empty()) return found;
    const std::string root = Resolved(values.root), backup = Resolved(values.backuppath);
    if (Same(root, backup)) {
        found.push_back({SetupField::BackupFolder, "The backup folder must not be the monitored folder."});
    } else if (Within(backup, root)) {
        found.push_back({SetupField::BackupFolder, "The backup folder must not lie inside the monitored folder."});
    } else if (Within(root, backup)) {
        found.push_back({SetupField::MonitoredFolder, "The monitored folder must not lie inside the backup folder."});
    }
    CheckOthers(root, backup, others, &found);
    return found;
}

}  // namespace pellmar
