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

// `madeFolder` is the target folder made or found last time: a folder's files come in a run, and
// its levels need not be looked at again for each of them.
RestoredFile RestoreOne(const ScannerValues& monitor, const RestoreItem& item, platform::EntryKind standing,
                        FileOperations& files, VersionCounter& counter, DateTime now, std::string& madeFolder) {
    RestoredFile done{item.target, RestoreOutcome::Failed, {}, {}};
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
    const std::string_view folder = FolderPart(item.target);
    if (folder != madeFolder && files.ForceFolders(std::string(folder)) == platform::CopyResult::Copied)
        madeFolder = folder;
    // Its outcome is known at the commit of the staged copies.
    done.problem = "the kept copy " + item.copy.path + " could not be written there";
    if (files.StageCopy(item.copy.path, item.target) == platform::CopyResult::Copied) done.outcome = RestoreOutcome::NotDone;
    return done;
}

// Restored copies are made durable together: one by one, each would wait for its own flushes, and
// a folder of thousands of small files would take many times as long as copying it by hand. Each
// commit costs two flushes of the file system whatever it holds, so the groups are large; the
// bytes bound keeps one commit's wait short.
constexpr std::size_t kStagedPerCommit = 4096;
constexpr std::uint64_t kStagedBytesPerCommit = 128u << 20;

// The targets of a group are looked at before any of them is written: the copies are made on
// other threads, and looking a name up in a folder waits while a file is being created there.
std::vector<platform::EntryKind> InspectGroup(const std::vector<RestoreItem>& items, std::size_t from,
                                              FileOperations& files) {
    std::vector<platform::EntryKind> kinds;
    for (std::size_t i = from; i < items.size() && i - from < kStagedPerCommit; ++i)
        kinds.push_back(files.Inspect(items[i].target));
    return kinds;
}

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
    std::uint64_t stagedBytes = 0;
    std::string madeFolder;
    std::vector<platform::EntryKind> standing;  // of the items from `group` on
    std::size_t group = 0;
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (!result.cancelled && progress && !progress(index, items.size())) result.cancelled = true;
        if (result.cancelled) {
            result.files.push_back({items[index].target, RestoreOutcome::NotDone, {}, {}});
            continue;
        }
        if (index - group >= standing.size()) {
            group = index;
            standing = InspectGroup(items, group, files);
        }
        result.files.push_back(
            RestoreOne(monitor, items[index], standing[index - group], files, counter, now, madeFolder));
        if (result.files.back().outcome == RestoreOutcome::NotDone) {
            staged.push_back(index);
            stagedBytes += items[index].copy.size;
        }
        if (staged.size() >= kStagedPerCommit || stagedBytes >= kStagedBytesPerCommit) {
            CommitStaged(files, staged, result);
            stagedBytes = 0;
            standing.clear();  // the next group is looked at while no copy is being made
            group = index + 1;
        }
    }
    CommitStaged(files, staged, result);
    return result;
}

}  // namespace pellmar
