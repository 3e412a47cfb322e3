// The pass loop and the batch text of one pass. What one job does to the files is ExecuteJob's;
// how the batch reaches the database is the store's.
#include "tray/jobs/JobWorker.h"

#include <optional>
#include <unordered_map>

#include "tray/db/Statements.h"
#include "tray/jobs/JobExecution.h"
#include "tray/jobs/PendingOutcomes.h"

namespace pellmar {
namespace {

DateTime AddSeconds(DateTime t, std::chrono::seconds seconds) {
    return t + static_cast<double>(seconds.count()) / 86400.0;
}

bool IsPlainCopy(const ChangeEvent& job) {
    return (job.jobtype == ChangeCreated || job.jobtype == ChangeModified) && job.currentversion == 0;
}

// Staged copies are committed together up to these bounds, so that the table sees progress
// during a long backlog and a commit never waits for much data.
constexpr std::size_t kStagedCopiesPerCommit = 256;
constexpr std::uint64_t kStagedBytesPerCommit = 64u << 20;
// A larger file is copied on its own, after the staged ones are committed: it must not hold
// a batch of small files back while its bytes are copied.
constexpr std::uint64_t kLargestStagedFile = 8u << 20;
// Outcomes are written to the table once this many have gathered, and at the end of the pass.
constexpr int kOutcomesPerWrite = 1024;

}  // namespace

// The outcome of each plain copy made in this pass, by destination: a later job that copies the
// same source to the same place, with nothing else done to that place in between, would only
// copy the same content again.
class CopiesOfPass {
public:
    const JobOutcome* Find(const ChangeEvent& job) const {
        if (!IsPlainCopy(job)) return nullptr;
        const auto known = copies_.find(job.dest);
        return known != copies_.end() && known->second.src == job.src ? &known->second.outcome : nullptr;
    }
    void Record(const ChangeEvent& job, const JobOutcome& outcome) {
        if (IsPlainCopy(job)) copies_[job.dest] = Copy{job.src, outcome};
        else copies_.erase(job.dest);
    }

private:
    struct Copy {
        std::string src;
        JobOutcome outcome;
    };
    std::unordered_map<std::string, Copy> copies_;
};

std::string JobOutcomeStatements(const ChangeEvent& job, const JobOutcome& outcome, const std::string& logStatement) {
    const std::string log = JobIsLogged(outcome.code) ? logStatement + "\r\n" : std::string();
    if (!JobStaysQueued(outcome.code)) return DeleteJobStatement(job.id) + log;
    if (!outcome.parkedCopy.empty()) return log + DeferJobWithTempCopyStatement(job.id, outcome.parkedCopy);
    return log + DeferJobStatement(job.id);
}

JobWorker::JobWorker(JobWorkerStore& store, JobWorkerHost& host, FileOperations& files, std::string tempFilePath,
                     JobWorkerTimings timings, BackupFolderRecord* backups)
    : store_(store),
      host_(host),
      files_(files),
      tempFilePath_(std::move(tempFilePath)),
      timings_(timings),
      backups_(backups) {}

struct JobWorker::Pass {
    JobPassResult result;
    CopiesOfPass copies;
    PendingOutcomes pending;
    int unwritten = 0;
};

JobOutcome JobWorker::Execute(const ChangeEvent& job, CopiesOfPass& copies, bool mayStage) {
    if (const JobOutcome* earlier = copies.Find(job)) return *earlier;
    const JobOutcome outcome = ExecuteJob(job, tempFilePath_, files_, backups_, mayStage);
    if (!outcome.staged) copies.Record(job, outcome);
    return outcome;
}

void JobWorker::Record(const ChangeEvent& job, const JobOutcome& outcome, Pass& pass) {
    const std::string log = JobIsLogged(outcome.code) ? store_.LogStatement(job, outcome.code) : std::string();
    pass.result.batch += JobOutcomeStatements(job, outcome, log);
    if (JobStaysQueued(outcome.code)) pass.result.anyDeferred = true;
    ++pass.result.attempted;
    ++pass.unwritten;
}

// A row goes only after its copy is on stable storage: the commit of the staged copies comes
// before their outcomes are written.
void JobWorker::CommitStaged(Pass& pass) {
    if (pass.pending.Empty()) return;
    for (const auto& [job, outcome] : pass.pending.Finish(files_, backups_)) {
        pass.copies.Record(job, outcome);
        Record(job, outcome, pass);
    }
    if (pass.unwritten < kOutcomesPerWrite) return;
    store_.RunBatch(pass.result.batch);
    pass.result.batch.clear();
    pass.unwritten = 0;
}

void JobWorker::RunJob(const ChangeEvent& job, Pass& pass) {
    const std::optional<std::uint64_t> size =
        IsPlainCopy(job) && !NamesFolder(job) ? files_.FileSize(job.src) : std::nullopt;
    const bool mayStage = size && *size <= kLargestStagedFile;
    // Anything but a small copy to a place no staged copy goes to may depend on what the staged
    // ones leave behind, or would hold them back.
    if (!mayStage || pass.pending.Holds(job.dest)) CommitStaged(pass);
    const JobOutcome outcome = Execute(job, pass.copies, mayStage);
    if (pass.pending.Empty() && !outcome.staged) {
        Record(job, outcome, pass);
        return;
    }
    pass.pending.Add(job, outcome, size.value_or(0));
    if (pass.pending.StagedCount() >= kStagedCopiesPerCommit || pass.pending.StagedBytes() >= kStagedBytesPerCommit)
        CommitStaged(pass);
}

JobPassResult JobWorker::RunPass(bool fullPass) {
    Pass pass;
    for (const ChangeEvent& job : store_.ReadJobs(fullPass)) {
        // A quick exit during a long backlog: the jobs not reached stay in the table untouched.
        if (host_.Terminated()) break;
        RunJob(job, pass);
    }
    CommitStaged(pass);
    store_.RunBatch(pass.result.batch);
    return std::move(pass.result);
}

void JobWorker::PurgeWhenDue() {
    const DateTime now = DateTimeNow();
    if (now < nextPurge_) return;
    store_.PurgeLog(AddDays(-timings_.purgeAgeDays, now));
    nextPurge_ = AddSeconds(now, timings_.purgePeriod);
}

void JobWorker::Run() {
    bool fullPass = true;
    bool pendingRetries = false;
    nextPurge_ = AddHours(DateTimeNow(), -9);
    for (;;) {
        const JobPassResult pass = RunPass(fullPass);
        if (fullPass) pendingRetries = pass.anyDeferred;
        else if (pass.anyDeferred) pendingRetries = true;
        PurgeWhenDue();
        if (host_.Terminated()) break;
        if (pendingRetries) fullPass = host_.WaitForWork(timings_.retryWait);
        else host_.WaitForWork(std::chrono::milliseconds(-1));
        if (host_.Terminated()) break;
    }
}

}  // namespace pellmar
