// Bring-up, bring-down, monitor bookkeeping and the change handler of the folder monitor session.
// The order of both ends matters: queue thread before the monitors, the worker after them on
// the way up; monitors, queue thread, worker on the way down.
#include "tray/session/FolderMonitor.h"

#include <filesystem>
#include <system_error>

#include "common/Paths.h"
#include "common/TextCase.h"
#include "common/Utf8Path.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "tray/db/SQLiteDatabase.h"
#include "tray/db/SQLiteQuery.h"
#include "tray/db/SQLiteSession.h"
#include "tray/db/Schema.h"
#include "tray/db/Statements.h"
#include "tray/db/TableCreation.h"
#include "tray/db/UnitOfWork.h"
#include "tray/jobs/BackupFolderRecord.h"
#include "tray/jobs/JobQueueThread.h"
#include "tray/jobs/JobWorkerThread.h"
#include "tray/jobs/KolGenQueue.h"
#include "tray/log/LogCodes.h"
#include "tray/log/LogData.h"
#include "tray/session/MonitorRecord.h"
#include "tray/session/StandardEngines.h"
#include "tray/util/Checksums.h"
#include "tray/util/DateTime.h"

namespace pellmar {
namespace {

// How long a change may wait for room in the queue: enough to ride out a burst the queue thread
// is still taking, short enough that a database that cannot be written never freezes the windows.
constexpr std::uint32_t kQueueRoomWaitMilliseconds = 200;

// The other spellings under which a scanner may report paths inside `backup`: its real location,
// and that location spelled from each monitor's root as given, when it lies in the root's real
// tree. A backup folder named through a link or a ".." segment would otherwise escape the drop
// of backup paths and have its own copies replicated into itself without end.
std::vector<std::string> OtherNamesOf(const std::string& backup, const std::vector<std::string>& roots) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    const fs::path real = fs::weakly_canonical(PathFromUtf8(backup), error);
    if (error || real.empty()) return names;
    names.push_back(Utf8FromPath(real));
    for (const std::string& root : roots) {
        const fs::path realRoot = fs::weakly_canonical(PathFromUtf8(root), error);
        if (error || realRoot.empty()) continue;
        const fs::path inside = real.lexically_relative(realRoot);
        if (inside.empty() || *inside.begin() == "..") continue;
        names.push_back(inside == "." ? root : IncludeTrailingPathDelimiter(root) + Utf8FromPath(inside));
    }
    return names;
}

ScannerEngines GivenOrStandard(ScannerEngines engines, platform::Dispatcher& dispatcher) {
    return engines.changeRecords || engines.changeSignals ? engines : StandardEngines(dispatcher);
}

}  // namespace

FolderMonitor::FolderMonitor(platform::Dispatcher& dispatcher, FolderMonitorTimings timings, ScannerEngines engines)
    : timings_(timings),
      engines_(GivenOrStandard(std::move(engines), dispatcher)),
      queue_(std::make_unique<ChangeEventQueue>(kChangeEventQueueCapacity)),
      workerThread_(std::make_unique<JobWorkerThread>(*this, timings.worker)),
      keeper_(std::make_unique<MonitorKeeper>(static_cast<KeeperSession&>(*this), dispatcher, timings.keeper)) {}

FolderMonitor::~FolderMonitor() {
    // A host that skipped StopMonitoring must not leave the queue thread blocked on a dead queue.
    if (!monitoringStopped_) StopMonitoring();
    if (initialized_) {
        query_ = nullptr;
        session_ = nullptr;
        database_.reset();
    }
    terminated_.store(true);
    WakeWorker();
    workerThread_.reset();
    keeper_.reset();
    FreeMonitors();
    queueThread_.reset();
    queue_.reset();
}

template <typename Work>
bool FolderMonitor::UnitOfWork(Work&& work) {
    if (!database_ || !database_->Ready() || !database_->Open(locations_.databasePath)) return false;
    database_->SetBusyTimeout(kBusyTimeoutMilliseconds);
    const bool done = work();
    query_->Clear();
    database_->Close();
    return done;
}

void FolderMonitor::Start() {
    if (!initialized_) Initialise();
    // Made here rather than at creation because its database path is known only now; it does
    // not run before Start either way.
    if (!queueThread_) {
        const JobQueueTimings queueTimings{timings_.changePause + timings_.queuePause, timings_.queueRetryDelay,
                                           timings_.queueSettlingLimit};
        queueThread_ = std::make_unique<JobQueueThread>(*queue_, locations_.databasePath, [this] { WakeWorker(); },
                                                        queueTimings);
    }
    queueThread_->Start();
    StartItems();
    keeper_->Begin();
    workerThread_->Resume(locations_.databasePath, locations_.tempFilePath, locations_.dataPath);
}

void FolderMonitor::Initialise() {
    locations_ = SettleDataLocations();
    ProtectTemporaryFolder();
    OpenOrCreateDatabase();
    LoadMonitors();
    initialized_ = true;
}

void FolderMonitor::OpenOrCreateDatabase() {
    const bool exists = platform::FileExists(locations_.databasePath);
    database_ = std::make_unique<SQLiteDatabase>(locations_.databasePath, !exists);
    database_->SetOnBusy(GiveUpAfterTenRetries());
    session_ = &database_->CreateSession(std::string(kFolderMonitorSessionName));
    query_ = &session_->CreateQuery();
    // The creation runs on the connection the constructor opened, under the busy handler.
    if (database_->Ready()) CreateTablesWhenMissing(*query_);
    query_->Clear();
    database_->Close();
}

// A temporary folder configured outside the data folder may lie in a watched tree: each parked
// copy would then be reported as a change of its own, parked again, and so on.
void FolderMonitor::ProtectTemporaryFolder() {
    std::string folder = locations_.tempFilePath;
    while (!folder.empty() && platform::IsPathDelimiter(folder.back())) folder.pop_back();
    if (!folder.empty()) locations_.protectedFolders.push_back(LowerCaseAscii(IncludeTrailingPathDelimiter(folder)));
}

std::unique_ptr<FolderScanner> FolderMonitor::NewScanner() {
    std::unique_ptr<FolderScanner> scanner = CreateScanner(*this, engines_);
    scanner->SetOnChange([this](FolderScanner& monitor, std::unique_ptr<ChangeEvent> event) {
        OnChange(monitor, std::move(event));
    });
    scanner->SetOnLost([this](FolderScanner& monitor) { keeper_->Lost(monitor); });
    scanner->SetOnTrouble([this](FolderScanner& monitor, const std::string& message, bool stopped) {
        keeper_->Trouble(monitor, message, stopped);
    });
    return scanner;
}

void FolderMonitor::FreeMonitors() {
    while (!items_.empty()) {
        items_.back()->Stop();
        items_.pop_back();
    }
}

void FolderMonitor::LoadMonitors() {
    FreeMonitors();
    UnitOfWork([this] {
        if (!ExecQuery(*query_, SelectScannersStatement())) return false;
        for (query_->First(); !query_->Eof(); query_->Next()) {
            std::unique_ptr<FolderScanner> scanner = NewScanner();
            ReadMonitorRow(*query_, *scanner);
            items_.push_back(std::move(scanner));
        }
        return true;
    });
}

FolderScanner* FolderMonitor::Items(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

void FolderMonitor::StartItems() {
    RefreshBackupAliases();
    for (const auto& monitor : items_) {
        if (monitor->GetStatus() == 1) keeper_->Start(*monitor);
    }
}

void FolderMonitor::LogMonitorEvent(std::int32_t status, const std::string& root, const std::string& message) {
    if (!query_) return;
    LogData(*query_, locations_.databasePath)
        .AddLogEntry(status, static_cast<std::int32_t>(Crc32OfText(root)), kLogEnableFolderScanner, DateTimeNow(),
                     message, root, "");
}

bool FolderMonitor::SynchroniseMonitor(FolderScanner* monitor) {
    for (const auto& item : items_) {
        if (item.get() == monitor) return keeper_->CatchUp(*monitor, true);
    }
    return false;
}

MonitorStatus FolderMonitor::StatusOf(const FolderScanner* monitor) const {
    return monitor ? keeper_->StatusOf(*monitor) : MonitorStatus{};
}

std::vector<FolderScanner*> FolderMonitor::Monitors() const {
    std::vector<FolderScanner*> monitors;
    for (const auto& item : items_) monitors.push_back(item.get());
    return monitors;
}

bool FolderMonitor::QueueHasRoom() const {
    if (queue_->Count() >= kChangeEventQueueCapacity / 2) return false;
    backlogged_ = false;
    return true;
}

// The same test the job worker makes before it writes into a backup folder.
bool FolderMonitor::BackupOffline(const std::string& backup, const std::optional<platform::FolderIdentity>& now) const {
    const BackupFolderRecord record(IncludeTrailingPathDelimiter(locations_.dataPath) + kBackupFolderRecordName, nullptr);
    const std::string folder = IncludeTrailingPathDelimiter(backup);
    if (!record.DeliveredBefore(folder)) return false;
    const std::string recorded = record.MountPointOf(folder);
    return !now || (!recorded.empty() && recorded != now->mountPoint);
}

// The row is written before the monitor changes: a monitor whose row could not be stored would
// run with settings the next start forgets, and the windows would show what the database lacks.
FolderScanner* FolderMonitor::SaveFolderItem(FolderScanner* monitor, const ScannerValues& values) {
    if (!monitor) return AddFolderItem(values);
    const ScannerValues stored = StoredMonitorValues(values, monitor->GetId());
    if (!UnitOfWork([&] { return ExecInTransaction(*session_, *query_, UpdateScannerStatement(stored)); }))
        return nullptr;
    keeper_->Stop(*monitor);
    ApplyMonitorValues(stored, *monitor);
    MonitorsChanged();
    if (monitor->GetStatus() == 1) keeper_->Start(*monitor);
    return monitor;
}

FolderScanner* FolderMonitor::AddFolderItem(const ScannerValues& values) {
    std::unique_ptr<FolderScanner> created = NewScanner();
    ApplyMonitorValues(values, *created);
    created->SetId(0);
    const bool stored = UnitOfWork([&] {
        if (!ExecInTransaction(*session_, *query_, InsertScannerStatement(MonitorValues(*created)))) return false;
        created->SetId(static_cast<std::int32_t>(query_->LastInsertRowId()));
        return true;
    });
    if (!stored) return nullptr;
    FolderScanner* monitor = created.get();
    items_.push_back(std::move(created));
    MonitorsChanged();
    if (monitor->GetStatus() == 1) keeper_->Start(*monitor);
    return monitor;
}

bool FolderMonitor::DeleteFolderItem(FolderScanner* monitor) {
    if (!monitor) return false;
    if (!UnitOfWork([&] { return ExecInTransaction(*session_, *query_, DeleteScannerStatement(monitor->GetId())); }))
        return false;
    keeper_->Forget(*monitor);
    std::erase_if(items_, [monitor](const std::unique_ptr<FolderScanner>& item) { return item.get() == monitor; });
    MonitorsChanged();
    return true;
}

bool FolderMonitor::SetMonitorStatus(FolderScanner* monitor, std::int32_t status) {
    if (!monitor) return false;
    if (!UnitOfWork([&] {
            return ExecInTransaction(*session_, *query_, UpdateScannerStatusStatement(monitor->GetId(), status));
        }))
        return false;
    monitor->SetStatus(status);
    if (status == 1) keeper_->Start(*monitor);
    else keeper_->Stop(*monitor);
    return true;
}

void FolderMonitor::MonitorsChanged() {
    RefreshBackupAliases();
    keeper_->FoldersChanged();
}

FolderScanner* FolderMonitor::Find(std::int32_t id) const {
    for (const auto& item : items_)
        if (id != 0 && item->GetId() == id) return item.get();
    return nullptr;
}

void FolderMonitor::WakeWorker() { wake_->Set(); }

bool FolderMonitor::WaitForWork(std::chrono::milliseconds timeout) {
    const std::uint32_t ms = timeout.count() < 0 ? platform::kInfinite : static_cast<std::uint32_t>(timeout.count());
    const bool timedOut = !wake_->Wait(ms);
    wake_->Reset();
    return timedOut;
}

void FolderMonitor::StopMonitoring() {
    keeper_->End();
    for (const auto& monitor : items_) monitor->Stop();
    if (queueThread_) queueThread_->Stop();
    monitoringStopped_ = true;
}

std::vector<std::string> FolderMonitor::BackupFolders() const {
    std::lock_guard lock(backupFoldersMutex_);
    return backupFolders_;
}

void FolderMonitor::VisitBackupFolders(const std::function<void(const std::string&)>& visit) const {
    for (const auto& monitor : items_) visit(monitor->GetBackupPath());
    for (const std::string& name : backupAliases_) visit(name);
}

// Settled when monitors change rather than per change: resolving names touches the backup
// folders, which may sit on a share that answers slowly or not at all.
void FolderMonitor::RefreshBackupAliases() {
    std::vector<std::string> roots;
    for (const auto& monitor : items_) roots.push_back(monitor->GetRoot());
    backupAliases_.clear();
    std::vector<std::string> backups;
    for (const auto& monitor : items_) {
        if (!monitor->GetBackupPath().empty()) backups.push_back(monitor->GetBackupPath());
    }
    {
        std::lock_guard lock(backupFoldersMutex_);
        backupFolders_ = std::move(backups);
    }
    for (const auto& monitor : items_) {
        if (monitor->GetBackupPath().empty()) continue;
        for (std::string& name : OtherNamesOf(monitor->GetBackupPath(), roots)) backupAliases_.push_back(std::move(name));
    }
}

// Never waits on its own: the settle time and the version number are the job queue thread's, so
// a burst of changes costs the main thread next to nothing.
void FolderMonitor::OnChange(FolderScanner& monitor, std::unique_ptr<ChangeEvent> event) {
    if (!event || ownWrites_.Covers(event->src)) return;
    // A deletion of a versioned file is not replicated: its versions stay in the backup folder,
    // and its counter stays too, so a file that comes back never overwrites them.
    if (event->jobtype == ChangeDeleted && event->maxversions != 0) return;
    if (!event->resync) keeper_->Heard(monitor, event->src);
    const std::uint32_t wait = backlogged_ ? 0 : kQueueRoomWaitMilliseconds;
    if (queue_->Put(event, static_cast<std::int32_t>(sizeof(ChangeEvent)), wait) == kQueueDone) return;
    // The queue thread cannot write (a full disk, a long lock): rather than hold the main thread,
    // the change is let go and the monitor compared with its backup once the queue takes again.
    backlogged_ = true;
    keeper_->Backlogged(monitor);
}

}  // namespace pellmar
