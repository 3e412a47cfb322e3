// The job worker's thread: created "suspended" (nothing runs until Resume), then one JobWorker
// over its own database store and the real file operations until the host reports Terminated.
// Thread contract: Resume and Join on the owner's (main) thread; the host must outlive Join.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "tray/jobs/JobWorker.h"

namespace pellmar {

class JobWorkerThread {
public:
    // Made on the worker's own thread, so that its database object belongs to that thread.
    using StoreFactory = std::function<std::unique_ptr<JobWorkerStore>(const std::string& databasePath)>;

    JobWorkerThread(JobWorkerHost& host, JobWorkerTimings timings, StoreFactory makeStore = nullptr);
    ~JobWorkerThread();  // joins; the host must have been told to terminate
    JobWorkerThread(const JobWorkerThread&) = delete;
    JobWorkerThread& operator=(const JobWorkerThread&) = delete;

    // Starts the thread once; later calls do nothing.
    // With a `dataPath`, the backup folders delivered into are remembered in a file there.
    void Resume(const std::string& databasePath, const std::string& tempFilePath, const std::string& dataPath = {});
    // Waits until the loop has ended (after the host's Terminated and a wake-up).
    void Join();

private:
    JobWorkerHost& host_;
    JobWorkerTimings timings_;
    StoreFactory makeStore_;
    std::thread thread_;
};

}  // namespace pellmar
