// The pass loop and the batch text of one pass. What one job does to the files is ExecuteJob's;
// how the batch reaches the database is the store's.
#include "tray/jobs/JobWorker.h"

#include "tray/jobs/JobExecution.h"

namespace pellmar {
namespace {

std::string QuotedText(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

DateTime AddSeconds(DateTime t, std::chrono::seconds seconds) {
    return t + static_cast<double>(seconds.count()) / 86400.0;
}

}  // namespace

std::string JobOutcomeStatements(const ChangeEvent& job, const JobOutcome& outcome, const std::string& logStatement) {
    const std::string id = std::to_string(job.id);
    if (outcome.code >= kJobSourceGone) return "DELETE FROM jobs WHERE id=" + id + ";\r\n" + logStatement + "\r\n";
    std::string text = outcome.code == kJobExclusiveRefused ? std::string() : logStatement + "\r\n";
    if (outcome.code == kJobVersionParked) {
        return text + "UPDATE jobs SET deferred=1, src=" + QuotedText(outcome.parkedCopy) + " WHERE id=" + id + ";\r\n";
    }
    return text + "UPDATE jobs SET deferred=1 WHERE id=" + id + ";\r\n";
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
