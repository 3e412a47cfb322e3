// The commit of a pass's staged copies and the outcomes it settles.
#include "tray/jobs/PendingOutcomes.h"

namespace pellmar {

void PendingOutcomes::Add(const ChangeEvent& job, const JobOutcome& outcome, std::uint64_t bytes) {
    if (outcome.staged) {
        stagedDestinations_.insert(job.dest);
        stagedBytes_ += bytes;
    }
    jobs_.emplace_back(job, outcome);
}

std::vector<std::pair<ChangeEvent, JobOutcome>> PendingOutcomes::Finish(FileOperations& files,
                                                                        BackupFolderRecord* backups) {
    const std::vector<platform::CopyResult> committed = files.CommitStagedCopies();
    std::size_t next = 0;
    for (auto& [job, outcome] : jobs_) {
        if (!outcome.staged) continue;
        // A batch that lost count of its copies has made none of the missing ones durable.
        const platform::CopyResult result = next < committed.size() ? committed[next] : platform::CopyResult::Failed;
        ++next;
        outcome = FinishStagedCopy(job, result, files, backups);
    }
    stagedDestinations_.clear();
    stagedBytes_ = 0;
    return std::exchange(jobs_, {});
}

}  // namespace pellmar
