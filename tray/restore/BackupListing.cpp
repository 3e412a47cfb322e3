// The backup folder is read level by level beside the temporary folder's matching level, so a
// version parked while the backup was offline is listed with those already delivered.
#include "tray/restore/BackupListing.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/Paths.h"
#include "platform/CopyTemporaries.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/LocalClock.h"
#include "tray/jobs/JobExecution.h"
#include "tray/jobs/VersionNames.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {
namespace {

struct NameReading {
    std::string original;
    std::int32_t number = 0;
};

// A name that no version rule produced is a plain copy (one made before versions were turned on).
std::optional<NameReading> ReadKeptName(const std::string& name, bool versions) {
    if (platform::CopyTemporaryOwner(name)) return std::nullopt;
    if (!versions) return NameReading{name, 0};
    for (const VersionReading& reading : VersionReadings(name)) {
        // Only the reading that names the file back is the true one: "a.1.2" is version 1 of "a.2".
        if (reading.version > 0 && VersionFileName(reading.original, static_cast<std::int32_t>(reading.version)) == name)
            return NameReading{reading.original, static_cast<std::int32_t>(reading.version)};
    }
    return NameReading{name, 0};
}

class Lister {
public:
    Lister(const ScannerValues& monitor, std::string tempFilePath) : monitor_(monitor), temp_(std::move(tempFilePath)) {}

    // One level: `sourceFolder` and `backupFolder` end in a delimiter. With `onlyName`, only
    // that file's copies; otherwise every file, and the sub-folders when the monitor has them
    // (also one that only the temporary folder holds: the backup was offline when it was made).
    void Level(const std::string& sourceFolder, const std::string& backupFolder, const std::string& onlyName) {
        std::set<std::string> subfolders;
        Read(sourceFolder, backupFolder, backupFolder, false, onlyName, &subfolders);
        if (monitor_.hasversions)
            Read(sourceFolder, backupFolder, ParkedCopyPath(temp_, sourceFolder, ""), true, onlyName, &subfolders);
        if (!onlyName.empty() || !monitor_.subfolders) return;
        for (const std::string& name : subfolders)
            Level(sourceFolder + name + platform::PathDelimiter(), backupFolder + name + platform::PathDelimiter(), "");
    }

    std::vector<FileHistory> Take() {
        std::vector<FileHistory> listed;
        for (auto& [source, history] : found_) {
            std::sort(history.copies.begin(), history.copies.end(),
                      [](const KeptCopy& a, const KeptCopy& b) { return a.number < b.number; });
            listed.push_back(std::move(history));
        }
        return listed;
    }

private:
    void Read(const std::string& sourceFolder, const std::string& backupFolder, const std::string& folder, bool parked,
              const std::string& onlyName, std::set<std::string>* subfolders) {
        for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
            if (entry.folder) {
                subfolders->insert(entry.name);
                continue;
            }
            if (!entry.file) continue;
            std::optional<NameReading> reading = ReadKeptName(entry.name, monitor_.hasversions);
            if (!reading || (parked && reading->number == 0)) continue;
            if (!onlyName.empty() && reading->original != onlyName) continue;
            Add(sourceFolder + reading->original, backupFolder + reading->original,
                KeptCopy{reading->number, folder + entry.name, entry.size, LocalFileTime(entry.modifiedNanoseconds), parked});
        }
    }

    // A number both delivered and parked is the parked one: it is what the backup will get.
    void Add(const std::string& source, const std::string& backup, KeptCopy copy) {
        FileHistory& history = found_[source];
        history.source = source;
        history.backup = backup;
        auto same = std::find_if(history.copies.begin(), history.copies.end(),
                                 [&copy](const KeptCopy& kept) { return kept.number == copy.number; });
        if (same == history.copies.end()) history.copies.push_back(std::move(copy));
        else if (copy.parked) *same = std::move(copy);
    }

    const ScannerValues& monitor_;
    const std::string temp_;
    std::map<std::string, FileHistory> found_;
};

std::string BackupFolderFor(const ScannerValues& monitor, const std::string& sourceFolder) {
    return IncludeTrailingPathDelimiter(BackupFolderOf(monitor.root, monitor.backuppath, monitor.subfolders, sourceFolder));
}

}  // namespace

DateTime LocalFileTime(std::int64_t nanoseconds) {
    const std::int64_t seconds = nanoseconds >= 0 ? nanoseconds / 1000000000 : (nanoseconds - 999999999) / 1000000000;
    const std::optional<platform::LocalTimeFields> local = platform::LocalTimeAt(seconds);
    if (!local) return UnixTimeToDateTime(static_cast<std::int32_t>(seconds));
    DateTimeFields fields{local->year, local->month,  local->day,
                          local->hour, local->minute, local->second,
                          static_cast<int>((nanoseconds - seconds * 1000000000) / 1000000)};
    return EncodeDateTime(fields);
}

bool NamesMonitoredFolder(const ScannerValues& monitor, const std::string& path) {
    const std::string folder = IncludeTrailingPathDelimiter(ExcludeTrailingPathDelimiter(path));
    return platform::FolderExists(folder) || platform::FolderExists(BackupFolderFor(monitor, folder));
}

std::vector<FileHistory> ListBackup(const ScannerValues& monitor, const std::string& path,
                                    const std::string& tempFilePath) {
    Lister lister(monitor, tempFilePath);
    if (NamesMonitoredFolder(monitor, path)) {
        const std::string folder = IncludeTrailingPathDelimiter(ExcludeTrailingPathDelimiter(path));
        lister.Level(folder, BackupFolderFor(monitor, folder), "");
    } else {
        const std::string folder(FolderPart(path));
        const std::string name(FileNamePart(path));
        if (!name.empty()) lister.Level(folder, BackupFolderFor(monitor, folder), name);
    }
    return lister.Take();
}

}  // namespace pellmar
