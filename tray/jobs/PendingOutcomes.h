// The jobs of a pass whose copies are staged and wait for their common commit, with the jobs
// done meanwhile, in job order: the log and the table see every outcome in the order the jobs
// ran, and a staged job's outcome only once its copy is on stable storage.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tray/jobs/JobExecution.h"

namespace pellmar {

// Thread contract: the job worker's thread.
class PendingOutcomes {
public:
    bool Empty() const { return jobs_.empty(); }
    // True when a staged copy goes to `dest`: another job on it must wait for the commit.
    bool Holds(const std::string& dest) const { return stagedDestinations_.contains(dest); }
    std::size_t StagedCount() const { return stagedDestinations_.size(); }
    std::uint64_t StagedBytes() const { return stagedBytes_; }

    void Add(const ChangeEvent& job, const JobOutcome& outcome, std::uint64_t bytes);

    // Commits the staged copies and gives every job with its final outcome, in order; empty
    // afterwards.
    std::vector<std::pair<ChangeEvent, JobOutcome>> Finish(FileOperations& files, BackupFolderRecord* backups);

private:
    std::vector<std::pair<ChangeEvent, JobOutcome>> jobs_;
    std::unordered_set<std::string> stagedDestinations_;
    std::uint64_t stagedBytes_ = 0;
};

}  // namespace pellmar
