// Starting and joining the job worker's thread. The store is made on that thread, so that its
// database object never crosses threads.
#include "tray/jobs/JobWorkerThread.h"

#include "common/Paths.h"
#include "tray/jobs/JobWorkerSqliteStore.h"

namespace pellmar {

JobWorkerThread::JobWorkerThread(JobWorkerHost& host, JobWorkerTimings timings, StoreFactory makeStore)
    : host_(host), timings_(timings), makeStore_(std::move(makeStore)) {
    if (!makeStore_) {
        makeStore_ = [](const std::string& path) { return std::make_unique<JobWorkerSqliteStore>(path); };
    }
}

JobWorkerThread::~JobWorkerThread() { Join(); }

void JobWorkerThread::Resume(const std::string& databasePath, const std::string& tempFilePath,
                             const std::string& dataPath) {
    if (thread_.joinable()) return;
    const std::string record = dataPath.empty() ? std::string() : IncludeTrailingPathDelimiter(dataPath) + kBackupFolderRecordName;
    thread_ = std::thread([this, databasePath, tempFilePath, record] {
        std::unique_ptr<JobWorkerStore> store = makeStore_(databasePath);
        SystemFileOperations files(true);
        BackupFolderRecord backups(record, [this] { return host_.BackupFolders(); });
        JobWorker(*store, host_, files, tempFilePath, timings_, &backups).Run();
    });
}

void JobWorkerThread::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace pellmar
