// Writing kept copies back. Nothing is destroyed: the file standing at a target is first kept,
// as a new version in the backup when the monitor keeps versions and the file is restored to
// its own place, otherwise beside it as "name (before restore 2026-12-09 14.05).ext". Each copy
// goes to a temporary in the target's folder and is renamed into place once it is durable; the
// copies are staged and made durable in groups (FileOperations::StageCopy).
// Blocks; one thread at a time per FileOperations.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tray/jobs/FileOperations.h"
#include "tray/model/ScannerValues.h"
#include "tray/restore/RestorePlan.h"

namespace pellmar {

// The version counters the job queue thread numbers new versions with.
class VersionCounter {
public:
    virtual ~VersionCounter() = default;
    // Takes the next number of the file's counter, at least `atLeast`, stored before it returns
    // so no job hands it out again; nothing when it cannot be stored.
    virtual std::optional<std::int32_t> TakeNext(const std::string& source, std::int32_t atLeast) = 0;
};

enum class RestoreOutcome {
    Restored,
    Unchanged,  // the target already holds that content
    Failed,
    NotDone,    // cancelled before its turn
};

struct RestoredFile {
    std::string target;
    RestoreOutcome outcome = RestoreOutcome::NotDone;
    std::string kept;     // where the file that stood at the target was kept; empty when none
    std::string problem;  // for Failed
};

struct RestoreResult {
    std::size_t restored = 0;  // files written back
    bool cancelled = false;
    std::vector<RestoredFile> files;  // one per item, in order
};

// Called before each file with the files done so far and their total; false cancels the rest.
using RestoreProgress = std::function<bool(std::size_t done, std::size_t total)>;

// `now` names the copies kept beside their targets.
RestoreResult RunRestore(const ScannerValues& monitor, const std::vector<RestoreItem>& items, FileOperations& files,
                         VersionCounter& counter, const RestoreProgress& progress = nullptr,
                         DateTime now = DateTimeNow());

// "report (before restore 2026-12-09 14.05).doc" for "report.doc".
std::string BeforeRestoreName(const std::string& path, DateTime now, int attempt = 1);

}  // namespace pellmar
