// The job worker's pass loop: read the pending jobs, carry each out, write the outcomes of the
// pass in one batch, purge old log entries on schedule, and wait for new work or the retry minute.
// Does not own its store, host or file operations. Run() is the thread procedure: it blocks until
// the host reports Terminated; everything else is called on that same thread.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tray/jobs/FileOperations.h"
#include "tray/jobs/JobExecution.h"
#include "tray/jobs/JobWorkerStore.h"

namespace pellmar {

struct JobWorkerTimings {
    std::chrono::milliseconds retryWait = std::chrono::seconds(60);
    std::chrono::seconds purgePeriod = std::chrono::hours(8);
    int purgeAgeDays = 30;
};

struct JobPassResult {
    std::string batch;
    bool anyDeferred = false;
    int attempted = 0;
};

class JobWorker {
public:
    JobWorker(JobWorkerStore& store, JobWorkerHost& host, FileOperations& files, std::string tempFilePath,
              JobWorkerTimings timings = {}, BackupFolderRecord* backups = nullptr);

    void Run();

    // One pass over the jobs read for `fullPass`; stops early (jobs not reached stay untouched)
    // when the host reports Terminated.
    JobPassResult RunPass(bool fullPass);

private:
    struct Pass;
    void PurgeWhenDue();
    JobOutcome Execute(const ChangeEvent& job, class CopiesOfPass& copies, bool mayStage);
    void RunJob(const ChangeEvent& job, Pass& pass);
    void Record(const ChangeEvent& job, const JobOutcome& outcome, Pass& pass);
    void CommitStaged(Pass& pass);

    JobWorkerStore& store_;
    JobWorkerHost& host_;
    FileOperations& files_;
    std::string tempFilePath_;
    JobWorkerTimings timings_;
    BackupFolderRecord* backups_;
    DateTime nextPurge_ = 0;
};

// The statements that record one attempt: its log entry (none where JobIsLogged says so) and
// the removal or deferral of its row, each ending in a carriage return and a line feed.
std::string JobOutcomeStatements(const ChangeEvent& job, const JobOutcome& outcome,
                                 const std::string& logStatement);

}  // namespace pellmar
