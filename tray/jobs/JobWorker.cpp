// The pass loop and the batch text of one pass. What one job does to the files is ExecuteJob's;
// how the batch reaches the database is the store's.
#include "tray/jobs/JobWorker.h"

#include <unordered_map>

#include "tray/db/Statements.h"
#include "tray/jobs/JobExecution.h"

namespace pellmar {
namespace {

DateTime AddSeconds(DateTime t, std::chrono::seconds seconds) {
    return t + static_cast<double>(seconds.count()) / 86400.0;
}

bool IsPlainCopy(const ChangeEvent& job) {
    return (job.jobtype == ChangeCreated || job.jobtype == ChangeModified) && job.currentversion == 0;
}

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

JobOutcome JobWorker::Execute(const ChangeEvent& job, CopiesOfPass& copies) {
    if (const JobOutcome* earlier = copies.Find(job)) return *earlier;
    const JobOutcome outcome = ExecuteJob(job, tempFilePath_, files_, backups_);
    copies.Record(job, outcome);
    return outcome;
}

JobPassResult JobWorker::RunPass(bool fullPass) {
    JobPassResult result;
    CopiesOfPass copies;
    for (const ChangeEvent& job : store_.ReadJobs(fullPass)) {
        // A quick exit during a long backlog: the jobs not reached stay in the table untouched.
        if (host_.Terminated()) break;
        const JobOutcome outcome = Execute(job, copies);
        const std::string log = JobIsLogged(outcome.code) ? store_.LogStatement(job, outcome.code) : std::string();
        result.batch += JobOutcomeStatements(job, outcome, log);
        if (JobStaysQueued(outcome.code)) result.anyDeferred = true;
        ++result.attempted;
    }
    store_.RunBatch(result.batch);
    return result;
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
