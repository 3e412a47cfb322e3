// One watched folder of the snapshot engine: a thread that scans the folder whenever its change
// signal (or, on a blind file system, its rescan timer, or while a change settles, the settle
// timer) fires and hands each listed file to the notifier for comparison. Folders it may not
// watch itself it scans inline. Owns its thread; the notifier owns the watcher.
#pragma once

#include "platform/Event.h"
#include "platform/FileSystem.h"
#include "platform/FolderSignal.h"
#include "tray/monitor/snapshot/FileSnapshot.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace pellmar {

class DirWatcher;

// What a watcher needs of its notifier. Thread contract: called from watcher threads, any number
// at once; the implementer does its own locking and never blocks on the main thread.
class WatcherHost {
public:
    virtual ~WatcherHost() = default;
    // False when `folder` gets no watcher of its own (too deep, the watcher cap is reached, or no
    // thread can be had): the caller scans it inline then.
    virtual bool AddWatcher(const std::string& folder, int level) = 0;
    virtual bool WatchSubtree() const = 0;
    virtual bool Wanted(std::string_view fileName) const = 0;  // the replicate masks
    virtual Observation CompareFile(const std::string& folder, const platform::FolderEntry& entry, bool silent) = 0;
    // A Failed or Partial signal of a folder that exists is the host's to log.
    virtual platform::SignalKind Signal(const std::string& folder, std::shared_ptr<platform::Event> changed,
                                        platform::SignalId* id) = 0;
    virtual void Unsignal(platform::SignalId id) = 0;
    virtual bool SignalEnded(platform::SignalId id) const = 0;
    virtual std::uint32_t RescanMilliseconds() const = 0;
    virtual std::uint32_t SettleMilliseconds() const = 0;
    virtual void FirstScanDone() = 0;
    // The root watcher's question on every wake: true once the root is gone or is another folder.
    virtual bool RootLost() = 0;
    // A watcher whose folder is gone asks to end: false when the folder is back (it goes on then).
    virtual bool Retire(const DirWatcher& watcher) = 0;
    // Starts a thread; throws std::system_error when none can be had.
    virtual std::thread StartThread(std::function<void()> work) = 0;
};

// Thread contract: constructed, begun, stopped and joined by the notifier; the thread runs Work.
class DirWatcher {
public:
    // `silent`: this watcher's first scan belongs to the first scans of the notifier's start.
    DirWatcher(WatcherHost& host, std::string path, int level, bool silent);
    ~DirWatcher();  // requests stop and joins
    DirWatcher(const DirWatcher&) = delete;
    DirWatcher& operator=(const DirWatcher&) = delete;

    void Begin();  // throws std::system_error when no thread can be had
    void RequestStop() { stop_.Set(); }
    void Join();
    const std::string& Path() const { return path_; }
    int Level() const { return level_; }
    bool Finished() const { return finished_; }

private:
    void Work();
    void Watch();
    bool WaitAndCheck(bool settling);
    bool Scan(const std::string& folder, bool silent);  // true when a change there is settling

    WatcherHost& host_;
    const std::string path_;
    const int level_;  // 1 for the root, 2 for its direct sub-folders
    const bool silent_;
    platform::Event stop_{platform::Event::Mode::ManualReset};
    std::shared_ptr<platform::Event> changed_ = std::make_shared<platform::Event>(platform::Event::Mode::AutoReset);
    platform::SignalId signal_ = 0;  // watcher thread only
    std::uint32_t timeout_ = platform::kInfinite;  // watcher thread only: the rescan timer
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace pellmar
