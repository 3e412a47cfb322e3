// The keeper's decisions. A folder counts as the one a monitor was started on while it lies on
// the same mount point; a drive mounted again comes back there, often with another device
// number, and is then watched afresh. Nothing here ever reports a deletion: a catch-up only
// copies what is missing or out of date.
#include "tray/session/MonitorKeeper.h"

#include <exception>

#include "common/Paths.h"
#include "platform/ErrorReporter.h"
#include "tray/log/LogCodes.h"
#include "tray/monitor/MonitorMessages.h"

namespace pellmar {
namespace {

// There, and on the mount point it was started on (any, when it never started).
bool OnExpectedMount(const std::optional<platform::FolderIdentity>& now,
                     const std::optional<platform::FolderIdentity>& expected) {
    return now && (!expected || now->mountPoint == expected->mountPoint);
}

bool SameFolder(const std::optional<platform::FolderIdentity>& now,
                const std::optional<platform::FolderIdentity>& expected) {
    return now && expected && now->device == expected->device && now->inode == expected->inode;
}

}  // namespace

MonitorKeeper::MonitorKeeper(KeeperSession& session, platform::Dispatcher& dispatcher, KeeperTimings timings)
    : session_(session),
      timings_(timings),
      catchUps_(dispatcher,
                [this](FolderScanner& monitor, int queued, bool requested) { Finished(monitor, queued, requested); }),
      presence_(dispatcher, timings.lookInterval, [this](const FolderIdentities& identities) { OnLook(identities); }) {}

MonitorKeeper::~MonitorKeeper() { End(); }

void MonitorKeeper::Begin() {
    FoldersChanged();
    // Without the looks a lost folder goes unnoticed: say so rather than pretend.
    if (!presence_.Start()) platform::ReportError("A thread to watch the monitored folders cannot be created.");
}

void MonitorKeeper::End() {
    presence_.Stop();
    catchUps_.CancelAll();
}

void MonitorKeeper::FoldersChanged() {
    std::vector<std::string> folders;
    for (const FolderScanner* monitor : session_.Monitors()) {
        folders.push_back(monitor->GetRoot());
        if (!monitor->GetBackupPath().empty()) folders.push_back(monitor->GetBackupPath());
    }
    presence_.SetFolders(std::move(folders));
}

void MonitorKeeper::Start(FolderScanner& monitor) {
    Stop(monitor);
    Kept& kept = kept_[&monitor];
    kept.enabled = true;
    TryStart(monitor, kept, true);
}

void MonitorKeeper::Stop(FolderScanner& monitor) {
    catchUps_.Cancel(monitor);
    monitor.Stop();
    kept_[&monitor] = Kept{};
}

void MonitorKeeper::Forget(FolderScanner& monitor) {
    Stop(monitor);
    kept_.erase(&monitor);
}

// The engine first, the walk second: a change made while walking is then heard either way.
bool MonitorKeeper::TryStart(FolderScanner& monitor, Kept& kept, bool firstTry) {
    const std::optional<platform::FolderIdentity> root = platform::IdentifyFolder(monitor.GetRoot());
    monitor.Stop();  // an engine that broke on its own still holds its handles
    kept.watching = false;
    kept.partial = false;
    if (!root) {
        kept.waiting = true;
        if (firstTry) Log(kLogError, monitor, kMonitorStartFailedMessage);
        return false;
    }
    try {
        monitor.Start();
    } catch (const std::exception& failure) {
        kept.waiting = false;
        kept.stoppedReason = failure.what();
        kept.retryAt = Clock::now() + timings_.retryInterval;
        // Once per cause: a retry every half minute must not fill the log.
        if (kept.loggedReason != kept.stoppedReason) Log(kLogError, monitor, kept.stoppedReason);
        kept.loggedReason = kept.stoppedReason;
        return false;
    }
    kept.watching = true;
    kept.waiting = false;
    kept.stoppedReason.clear();
    kept.loggedReason.clear();
    kept.expected = root;
    // Begun by a look once the engine is ready, when it is not ready yet.
    kept.catchUpPending = true;
    if (monitor.ReadyForCatchUp()) CatchUp(monitor, false);
    return true;
}

bool MonitorKeeper::CatchUp(FolderScanner& monitor, bool requested) {
    const auto found = kept_.find(&monitor);
    if (found == kept_.end() || !found->second.watching) return false;
    found->second.catchUpPending = !catchUps_.Request(monitor, requested);
    return true;
}

void MonitorKeeper::Trouble(FolderScanner& monitor, const std::string& message, bool stopped) {
    const auto found = kept_.find(&monitor);
    if (found == kept_.end() || !found->second.watching) return;
    Kept& kept = found->second;
    if (!stopped) {
        if (!kept.partial) Log(kLogWarning, monitor, message);
        kept.partial = true;
        kept.nextPartialWalk = Clock::now() + timings_.partialWalkInterval;
        return;
    }
    // Restarted by the next look once the pause is over; stopping it here would run inside
    // the engine's own delivery.
    catchUps_.Cancel(monitor);
    kept.watching = false;
    kept.stoppedReason = message;
    kept.retryAt = Clock::now() + timings_.retryInterval;
    if (kept.loggedReason != message) Log(kLogError, monitor, message);
    kept.loggedReason = message;
}

void MonitorKeeper::Backlogged(FolderScanner& monitor) {
    const auto found = kept_.find(&monitor);
    if (found != kept_.end() && found->second.watching) found->second.backlog = true;
}

void MonitorKeeper::LoseFolder(FolderScanner& monitor, Kept& kept) {
    catchUps_.Cancel(monitor);
    monitor.Stop();
    kept.watching = false;
    kept.stoppedReason.clear();
    kept.loggedReason.clear();
    kept.waiting = true;
    kept.partial = false;
    kept.backlog = false;
    Log(kLogWarning, monitor, kFolderLostMessage);
}

void MonitorKeeper::OnLook(const FolderIdentities& identities) {
    // A copy: starting a monitor may run handlers that change the session's list.
    for (FolderScanner* monitor : session_.Monitors()) {
        const auto found = kept_.find(monitor);
        if (found != kept_.end() && found->second.enabled) LookAt(*monitor, found->second, identities);
    }
}

void MonitorKeeper::LookAt(FolderScanner& monitor, Kept& kept, const FolderIdentities& identities) {
    const auto root = identities.find(monitor.GetRoot());
    if (root == identities.end()) return;  // added since the look began
    if (const auto backup = identities.find(monitor.GetBackupPath()); backup != identities.end())
        kept.backupOffline = session_.BackupOffline(monitor.GetBackupPath(), backup->second);
    const std::optional<platform::FolderIdentity>& now = root->second;
    if (kept.watching || !kept.stoppedReason.empty()) {
        // Never started on what stands at the path instead (an empty mount point): that would
        // become the folder the monitor expects, and the drive's return would go unnoticed.
        if (!OnExpectedMount(now, kept.expected)) {
            LoseFolder(monitor, kept);
        } else if (kept.watching && !SameFolder(now, kept.expected)) {
            // Deleted and made again, or the drive mounted again: the old watches hear nothing.
            LoseFolder(monitor, kept);
            Resume(monitor, kept, now);
        } else if (!kept.watching && ((kept.expected && !SameFolder(now, kept.expected)) || Clock::now() >= kept.retryAt)) {
            if (TryStart(monitor, kept, false)) Log(kLogInformation, monitor, kWatchingAgainMessage);
        }
    } else if (kept.waiting) {
        Resume(monitor, kept, now);
    }
    if (kept.watching) KeepUp(monitor, kept);
}

void MonitorKeeper::Resume(FolderScanner& monitor, Kept& kept, const std::optional<platform::FolderIdentity>& root) {
    if (!OnExpectedMount(root, kept.expected)) return;
    if (TryStart(monitor, kept, false)) Log(kLogInformation, monitor, kFolderBackMessage);
}

// The walks that make up for what the engine cannot hear or the queue could not take.
void MonitorKeeper::KeepUp(FolderScanner& monitor, Kept& kept) {
    const Clock::time_point now = Clock::now();
    if (kept.partial && now >= kept.nextPartialWalk) {
        kept.nextPartialWalk = now + timings_.partialWalkInterval;
        kept.catchUpPending = true;
    }
    if (kept.backlog && session_.QueueHasRoom()) {
        kept.backlog = false;
        kept.catchUpPending = true;
    }
    if (kept.catchUpPending && monitor.ReadyForCatchUp()) CatchUp(monitor, false);
}

void MonitorKeeper::Finished(FolderScanner& monitor, int queued, bool requested) {
    if (queued > 0 || requested) Log(kLogInformation, monitor, CaughtUpMessage(queued));
}

MonitorStatus MonitorKeeper::StatusOf(const FolderScanner& monitor) const {
    const auto found = kept_.find(&monitor);
    if (found == kept_.end() || !found->second.enabled) return {MonitorState::Disabled, {}};
    const Kept& kept = found->second;
    if (kept.waiting) return {MonitorState::WaitingForFolder, {}};
    if (!kept.watching) return {MonitorState::Stopped, kept.stoppedReason};
    std::string partly = kept.partial ? "not every folder below it can be watched" : "";
    if (kept.backlog) partly = "changes wait until the job list can be written again";
    if (kept.catchUpPending || catchUps_.Running(monitor)) return {MonitorState::CatchingUp, partly};
    if (kept.backupOffline) return {MonitorState::BackupOffline, partly};
    return {MonitorState::Watching, partly};
}

void MonitorKeeper::Log(std::int32_t status, const FolderScanner& monitor, const std::string& message) {
    session_.LogMonitorEvent(status, monitor.GetRoot(), message);
}

}  // namespace pellmar
