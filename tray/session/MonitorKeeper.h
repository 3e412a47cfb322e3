// Keeps every enabled monitor of a session hearing changes: starts it once its folder is there,
// catches up with the backup after every start, notices its folder going away or being replaced
// (unmounted, renamed, deleted), starts it again when the folder is back or after a failure, walks
// what its engine cannot hear, and knows each monitor's true state. Owns the looks and the
// catch-ups; does not own the monitors, the log or the queue (the session's).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Dispatcher.h"
#include "platform/FileSystem.h"
#include "tray/session/CatchUps.h"
#include "tray/session/FolderPresence.h"
#include "tray/monitor/FolderScanner.h"
#include "tray/session/MonitorStates.h"

namespace pellmar {

struct KeeperTimings {
    std::chrono::milliseconds lookInterval{2000};         // how often the folders are looked at
    std::chrono::milliseconds retryInterval{30000};       // a monitor that failed to start or broke
    std::chrono::milliseconds partialWalkInterval{60000};  // the walk of a partly watched tree
};

// What the keeper needs of its session. Main thread.
class KeeperSession {
public:
    virtual ~KeeperSession() = default;
    virtual void LogMonitorEvent(std::int32_t status, const std::string& root, const std::string& message) = 0;
    // The change event queue takes changes again (after a backlog).
    virtual bool QueueHasRoom() const = 0;
    virtual std::vector<FolderScanner*> Monitors() const = 0;
    // The backup folder, found as `now` (nothing: missing), is a drive or share that is not
    // mounted: delivered into before, and missing or on another file system than then.
    virtual bool BackupOffline(const std::string& backup, const std::optional<platform::FolderIdentity>& now) const = 0;
};

// Thread contract: main thread only (the dispatcher's owner). Every monitor handed in stays
// alive until Forget has been called for it.
class MonitorKeeper {
public:
    MonitorKeeper(KeeperSession& session, platform::Dispatcher& dispatcher, KeeperTimings timings);
    ~MonitorKeeper();  // End
    MonitorKeeper(const MonitorKeeper&) = delete;
    MonitorKeeper& operator=(const MonitorKeeper&) = delete;

    void Begin();  // the looks begin
    void End();    // looks and catch-ups end (exit); monitors are the session's to stop

    // An enabled monitor: watched now when its folder is there (then caught up), else as soon as
    // it appears. Any earlier run of it is stopped first.
    void Start(FolderScanner& monitor);
    // Disabled (or about to change): stops watching and walking now.
    void Stop(FolderScanner& monitor);
    void Forget(FolderScanner& monitor);
    // The monitors or their folders changed: the looks follow.
    void FoldersChanged();

    // Compares the monitor's tree with its backup in the background. `requested`: the user asked,
    // so the count is logged even when nothing was queued. False for a monitor not watching.
    bool CatchUp(FolderScanner& monitor, bool requested);
    // Its engine lost changes; the comparison's count is logged.
    void Lost(FolderScanner& monitor) { CatchUp(monitor, true); }
    void Trouble(FolderScanner& monitor, const std::string& message, bool stopped);
    // A change of the monitor could not be queued: it is caught up once the queue takes again.
    void Backlogged(FolderScanner& monitor);
    // Its engine reported a change of `path` (a catch-up running now need not queue it).
    void Heard(const FolderScanner& monitor, const std::string& path) { catchUps_.Heard(monitor, path); }

    MonitorStatus StatusOf(const FolderScanner& monitor) const;

private:
    using Clock = std::chrono::steady_clock;
    struct Kept {
        bool enabled = false;
        bool watching = false;  // its engine was started and has not been stopped since
        bool waiting = false;   // for its folder
        std::optional<platform::FolderIdentity> expected;  // the folder it was started on
        std::string stoppedReason;                          // a failed start or a broken engine
        std::string loggedReason;
        Clock::time_point retryAt{};
        bool partial = false;
        Clock::time_point nextPartialWalk{};
        bool backlog = false;
        bool catchUpPending = false;  // asked for, but no walk could start
        bool backupOffline = false;
    };

    bool TryStart(FolderScanner& monitor, Kept& kept, bool firstTry);
    void LoseFolder(FolderScanner& monitor, Kept& kept);
    void OnLook(const FolderIdentities& identities);
    void LookAt(FolderScanner& monitor, Kept& kept, const FolderIdentities& identities);
    void Resume(FolderScanner& monitor, Kept& kept, const std::optional<platform::FolderIdentity>& root);
    void KeepUp(FolderScanner& monitor, Kept& kept);
    void Finished(FolderScanner& monitor, int queued, bool requested);
    void Log(std::int32_t status, const FolderScanner& monitor, const std::string& message);

    KeeperSession& session_;
    const KeeperTimings timings_;
    std::unordered_map<const FolderScanner*, Kept> kept_;
    CatchUps catchUps_;
    FolderPresence presence_;
};

}  // namespace pellmar
