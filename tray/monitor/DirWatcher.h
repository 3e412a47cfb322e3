// One watched folder of the snapshot engine: a thread that scans the folder whenever its change
// signal (or, on a blind file system, its rescan timer) fires and hands each listed file to the
// notifier for comparison. Folders it may not watch itself it scans inline. Owns its thread.
#pragma once

#include "platform/Event.h"
#include "platform/FileSystem.h"
#include "platform/FolderSignal.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace pellmar {

// What a watcher needs of its notifier. Thread contract: called from watcher threads, any number
// at once; the implementer does its own locking and never blocks on the main thread.
class WatcherHost {
public:
    virtual ~WatcherHost() = default;
    // False when `folder` gets no watcher of its own (too deep, or the watcher cap is reached).
    virtual bool AddWatcher(const std::string& folder, int level) = 0;
    virtual bool WatchSubtree() const = 0;
    virtual bool Wanted(std::string_view fileName) const = 0;  // the replicate masks
    virtual void CompareFile(const std::string& path, const platform::FolderEntry& entry, bool firstScan) = 0;
    virtual platform::SignalKind Signal(const std::string& folder, std::shared_ptr<platform::Event> changed) = 0;
    virtual std::uint32_t RescanMilliseconds() const = 0;
    virtual void FirstScanDone() = 0;
};

// Thread contract: constructed, begun, stopped and joined by the notifier; the thread runs Work.
class DirWatcher {
public:
    DirWatcher(WatcherHost& host, std::string path, int level);
    ~DirWatcher();  // requests stop and joins
    DirWatcher(const DirWatcher&) = delete;
    DirWatcher& operator=(const DirWatcher&) = delete;

    void Begin();
    void RequestStop() { stop_.Set(); }
    void Join();
    const std::string& Path() const { return path_; }
    int Level() const { return level_; }
    bool Finished() const { return finished_; }

private:
    void Work();
    void Scan(const std::string& folder);

    WatcherHost& host_;
    const std::string path_;
    const int level_;  // 1 for the root, 2 for its direct sub-folders
    platform::Event stop_{platform::Event::Mode::ManualReset};
    std::shared_ptr<platform::Event> changed_ = std::make_shared<platform::Event>(platform::Event::Mode::AutoReset);
    bool firstScan_ = true;  // watcher thread only
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace pellmar
