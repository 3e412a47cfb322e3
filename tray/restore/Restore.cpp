// The file at a target is kept before anything is written over it; a failure to keep it leaves
// the target untouched.
#include "tray/restore/Restore.h"

#include <cstdio>

#include "tray/jobs/VersionNames.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {
namespace {

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool KeepsVersions(const ScannerValues& monitor) { return monitor.hasversions && monitor.maxversions > 0; }

// Keeps the file now at the target; false with the problem set when it cannot be kept.
bool KeepCurrent(const ScannerValues& monitor, const RestoreItem& item, FileOperations& files, VersionCounter& counter,
                 DateTime now, RestoredFile* done) {
    if (KeepsVersions(monitor) && item.target == item.source) {
        const std::optional<std::int32_t> number = counter.TakeNext(item.source, item.newestKept + 1);
        if (!number) {
            done->problem = "no version number could be stored for the file there now";
            return false;
        }
        done->kept = VersionFileName(item.backup, *number);
    } else {
        for (int attempt = 1; attempt < 100; ++attempt) {
            done->kept = BeforeRestoreName(item.target, now, attempt);
            if (files.Inspect(done->kept) == platform::EntryKind::Missing) break;
        }
        if (files.Inspect(done->kept) != platform::EntryKind::Missing) {
            done->problem = "no free name was found to keep the file there now";
            done->kept.clear();
            return false;
        }
    }
    files.ForceFolders(std::string(FolderPart(done->kept)));
    if (files.CopyFile(item.target, done->kept) == platform::CopyResult::Copied) return true;
    done->problem = "the file there now could not be kept as " + done->kept;
    done->kept.clear();
    return false;
}

RestoredFile RestoreOne(const ScannerValues& monitor, const RestoreItem& item, FileOperations& files,
                        VersionCounter& counter, DateTime now) {
    RestoredFile done{item.target, RestoreOutcome::Failed, {}, {}};
    const platform::EntryKind standing = files.Inspect(item.target);
    if (standing != platform::EntryKind::Missing && standing != platform::EntryKind::File) {
        done.problem = "something other than a file stands there";
        return done;
    }
    if (standing == platform::EntryKind::File) {
        if (files.SameContent(item.target, item.copy.path)) {
            done.outcome = RestoreOutcome::Unchanged;
            return done;
        }
        if (!KeepCurrent(monitor, item, files, counter, now, &done)) return done;
    }
    files.ForceFolders(std::string(FolderPart(item.target)));
    // Its outcome is known at the commit of the staged copies.
    done.problem = "the kept copy " + item.copy.path + " could not be written there";
    if (files.StageCopy(item.copy.path, item.target) == platform::CopyResult::Copied) done.outcome = RestoreOutcome::NotDone;
    return done;
}

// Restored copies are made durable together: one by one, each would wait for its own flushes, and
// a folder of thousands of small files would take many times as long as copying it by hand.
constexpr std::size_t kStagedPerCommit = 256;

void CommitStaged(FileOperations& files, std::vector<std::size_t>& staged, RestoreResult& result) {
    const std::vector<platform::CopyResult> outcomes = files.CommitStagedCopies();
    for (std::size_t i = 0; i < staged.size(); ++i) {
        RestoredFile& done = result.files[staged[i]];
        if (i >= outcomes.size() || outcomes[i] != platform::CopyResult::Copied) {
            done.outcome = RestoreOutcome::Failed;
            continue;
        }
        done.outcome = RestoreOutcome::Restored;
        done.problem.clear();
        ++result.restored;
    }
    staged.clear();
}

}  // namespace

std::string BeforeRestoreName(const std::string& path, DateTime now, int attempt) {
    const std::string folder(FolderPart(path));
    const std::string name(FileNamePart(path));
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const DateTimeFields t = DecodeDateTime(now);
    std::string marker = " (before restore " + std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" +
                         TwoDigits(t.day) + " " + TwoDigits(t.hour) + "." + TwoDigits(t.minute);
    if (attempt > 1) marker += " " + std::to_string(attempt);
    marker += ")";
    return folder + (hasExtension ? name.substr(0, dot) + marker + name.substr(dot) : name + marker);
}

RestoreResult RunRestore(const ScannerValues& monitor, const std::vector<RestoreItem>& items, FileOperations& files,
                         VersionCounter& counter, const RestoreProgress& progress, DateTime now) {
    RestoreResult result;
    std::vector<std::size_t> staged;
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (!result.cancelled && progress && !progress(index, items.size())) result.cancelled = true;
        if (result.cancelled) {
            result.files.push_back({items[index].target, RestoreOutcome::NotDone, {}, {}});
            continue;
        }
        result.files.push_back(RestoreOne(monitor, items[index], files, counter, now));
        if (result.files.back().outcome == RestoreOutcome::NotDone) staged.push_back(index);
        if (staged.size() >= kStagedPerCommit) CommitStaged(files, staged, result);
    }
    CommitStaged(files, staged, result);
    return result;
}

}  // namespace pellmar
