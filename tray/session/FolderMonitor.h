// The folder monitor session: owns the data locations, the session's database object, every
// folder monitor, the change event queue, the job queue thread, the job worker and its wake
// event; brings them up and down in order and turns each change event into a queued job.
// It does not watch folders or copy files itself (scanners and the job worker do).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Dispatcher.h"
#include "platform/WakeEvent.h"
#include "tray/jobs/JobWorker.h"
#include "tray/jobs/JobWorkerStore.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/monitor/ScannerContext.h"
#include "tray/monitor/ScannerFactory.h"
#include "tray/session/MonitorKeeper.h"
#include "tray/session/OwnWrites.h"
#include "tray/model/ChangeEvent.h"
#include "tray/model/ScannerValues.h"
#include "tray/shell/DataLocations.h"

namespace pellmar {

class JobQueueThread;
class JobWorkerThread;
class SQLiteDatabase;
class SQLiteQuery;
class SQLiteSession;
template <typename T>
class KolGenQueue;

struct FolderMonitorTimings {
    // The two settle times of a change: before it enters the queue, and before it is written as
    // a job. Minimum ages, never sleeps: a burst settles as a whole.
    std::chrono::milliseconds changePause{50};
    std::chrono::milliseconds queuePause{50};
    std::chrono::milliseconds queueRetryDelay{1000};  // after a failed write of job rows
    std::size_t queueSettlingLimit = 100000;          // changes held in memory while writes fail
    JobWorkerTimings worker;                          // retry minute, purge period and age
    KeeperTimings keeper;                             // looks at the folders, restarts, walks
    std::chrono::milliseconds ownWritesHeard{5000};   // how long the host's own writes are not backed up
};

// Thread contract: every member runs on the main thread (`dispatcher`'s owner), the change
// handler included, except WakeWorker, WaitForWork and Terminated, which any thread may call.
// Scanners handed out by Items stay owned by the session. The dispatcher outlives the session.
class FolderMonitor final : public ScannerContext, public JobWorkerHost, private KeeperSession {
public:
    // Each monitor's engine is chosen from `engines`; none given: StandardEngines.
    explicit FolderMonitor(platform::Dispatcher& dispatcher, FolderMonitorTimings timings = {},
                           ScannerEngines engines = {});
    ~FolderMonitor() override;
    FolderMonitor(const FolderMonitor&) = delete;
    FolderMonitor& operator=(const FolderMonitor&) = delete;

    void Start();
    int Count() const { return static_cast<int>(items_.size()); }
    FolderScanner* Items(int index) const;

    // The setup dialog's save (`values.id` is not used). With no monitor a new one is made,
    // stored, appended and returned; otherwise `monitor` is stopped, updated and returned. Either
    // is started again (and caught up) when its status is 1. nullptr when the row cannot be
    // stored (the failure has been reported): nothing is added and `monitor` is as it was.
    FolderScanner* SaveFolderItem(FolderScanner* monitor, const ScannerValues& values);
    // False, with the monitor kept, when its row cannot be deleted.
    bool DeleteFolderItem(FolderScanner* monitor);
    // Stores the monitor's status and acts on it at once: 0 stops it, 1 starts it and catches up
    // with what changed while it was off. False, with the monitor as it was, when it cannot be
    // stored.
    bool SetMonitorStatus(FolderScanner* monitor, std::int32_t status);
    // The monitor with the row id, or nullptr.
    FolderScanner* Find(std::int32_t id) const;

    // "Synchronise now": starts comparing the monitor's folder with its backup in the background;
    // every file whose backup is missing or out of date is queued, and the log says how many.
    // False for an unknown monitor or one that is not watching now.
    bool SynchroniseMonitor(FolderScanner* monitor);

    // What the monitor is doing now (watching, waiting for its folder, ...).
    MonitorStatus StatusOf(const FolderScanner* monitor) const;

    void WakeWorker();
    bool WaitForWork(std::chrono::milliseconds timeout) override;
    bool Terminated() const override { return terminated_.load(); }
    std::vector<std::string> BackupFolders() const override;

    void StopMonitoring();

    // The host has just written these files into monitored folders itself (a restore): their
    // changes heard in the next moments are not backed up (see OwnWrites).
    void IgnoreOwnWrites(std::vector<std::string> paths) { ownWrites_.Written(std::move(paths)); }

    const DataLocations& Locations() const { return locations_; }

    // ScannerContext
    const std::vector<std::string>& ProtectedFolders() const override { return locations_.protectedFolders; }
    // Each backup folder as stored, then its other names (real location, and that location seen
    // from every monitor's root) as settled when the monitors were last loaded, saved or deleted.
    void VisitBackupFolders(const std::function<void(const std::string&)>& visit) const override;

private:
    void Initialise();
    void ProtectTemporaryFolder();
    void OpenOrCreateDatabase();
    void LoadMonitors();
    void FreeMonitors();
    void StartItems();
    void RefreshBackupAliases();
    void OnChange(FolderScanner& monitor, std::unique_ptr<ChangeEvent> event);

    // KeeperSession
    void LogMonitorEvent(std::int32_t status, const std::string& root, const std::string& message) override;
    bool QueueHasRoom() const override;
    std::vector<FolderScanner*> Monitors() const override;
    bool BackupOffline(const std::string& backup, const std::optional<platform::FolderIdentity>& now) const override;
    std::unique_ptr<FolderScanner> NewScanner();
    FolderScanner* AddFolderItem(const ScannerValues& values);
    void MonitorsChanged();
    // Runs `work` (true when it succeeded) on the opened database; false when it cannot open.
    template <typename Work> bool UnitOfWork(Work&& work);

    const FolderMonitorTimings timings_;
    OwnWrites ownWrites_{timings_.ownWritesHeard};
    const ScannerEngines engines_;
    std::vector<std::unique_ptr<FolderScanner>> items_;
    std::vector<std::string> backupAliases_;  // other names of the backup folders (see VisitBackupFolders)
    mutable std::mutex backupFoldersMutex_;
    std::vector<std::string> backupFolders_;  // every monitor's backup folder, for the job worker
    bool initialized_ = false;
    bool monitoringStopped_ = false;
    mutable bool backlogged_ = false;  // a change found the queue full; puts no longer wait
    DataLocations locations_;
    std::unique_ptr<SQLiteDatabase> database_;
    SQLiteSession* session_ = nullptr;
    SQLiteQuery* query_ = nullptr;
    // A named kernel event on Windows, which other programs of the logon session can open.
    const std::unique_ptr<platform::WakeEvent> wake_ = platform::WakeEvent::Create("JobExecThreadEvent");
    std::atomic<bool> terminated_{false};
    std::unique_ptr<KolGenQueue<ChangeEvent>> queue_;
    std::unique_ptr<JobQueueThread> queueThread_;
    std::unique_ptr<JobWorkerThread> workerThread_;
    std::unique_ptr<MonitorKeeper> keeper_;
};

}  // namespace pellmar
