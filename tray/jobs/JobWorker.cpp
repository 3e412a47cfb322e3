// The pass loop and the batch text of one pass. What one job does to the files is ExecuteJob's;
// how the batch reaches the database is the store's.
#include "tray/jobs/JobWorker.h"

#include "tray/db/Statements.h"
#include "tray/jobs/JobExecution.h"

namespace pellmar {
namespace {

DateTime AddSeconds(DateTime t, std::chrono::seconds seconds) {
    return t + static_cast<double>(seconds.count()) / 86400.0;
}

}  // namespace

std::string JobOutcomeStatements(const ChangeEvent& job, const JobOutcome& outcome, const std::string& logStatement) {
    if (outcome.code >= kJobSourceGone) return DeleteJobStatement(job.id) + logStatement + "\r\n";
    const std::string log = outcome.code == kJobExclusiveRefused ? std::string() : logStatement + "\r\n";
    if (outcome.code == kJobVersionParked) return log + DeferJobWithTempCopyStatement(job.id, outcome.parkedCopy);
    return log + DeferJobStatement(job.id);
}

JobWorker::JobWorker(JobWorkerStore& store, JobWorkerHost& host, FileOperations& files, std::string tempFilePath,
                     JobWorkerTimings timings)
    : store_(store), host_(host), files_(files), tempFilePath_(std::move(tempFilePath)), timings_(timings) {}

JobPassResult JobWorker::RunPass(bool fullPass) {
    JobPassResult result;
    for (const ChangeEvent& job : store_.ReadJobs(fullPass)) {
        // A quick exit during a long backlog: the jobs not reached stay in the table untouched.
        if (host_.Terminated()) break;
        const JobOutcome outcome = ExecuteJob(job, tempFilePath_, files_);
        const std::string log = outcome.code == kJobExclusiveRefused ? std::string() : store_.LogStatement(job, outcome.code);
        result.batch += JobOutcomeStatements(job, outcome, log);
        if (outcome.code < kJobSourceGone) result.anyDeferred = true;
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
