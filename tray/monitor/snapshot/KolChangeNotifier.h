// The snapshot change engine: watchers for the root and its direct sub-folders (deeper folders
// scanned inline by the watcher above them), a snapshot of every wanted file, and a deletion
// checker, all on threads of their own. Changes reach the main thread through Dispatcher::Post;
// what is still on its way when Stop is called is handed on inside Stop. It also says when it
// stops hearing changes (the root lost) or hears only part of the tree. Knows nothing of
// scanners, exceptions or backup folders.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/monitor/snapshot/FileSnapshot.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace pellmar {

inline constexpr const char* kScanningDirectoryMissing = "The scanning directory does not exists";

class NotifierStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kNoThreadForTheRoot = "No thread can be started to watch the folder";

struct ChangeNotifierOptions {
    std::chrono::milliseconds rescanInterval{30000};  // the signal where the file system is blind
    bool rescanOnly = false;                           // treat every folder as blind
    // A file is handed on once its size, write time and mode have stayed the same this long.
    std::chrono::milliseconds settleTime{2000};
    // Starts each of the engine's threads; throws std::system_error when none can be had.
    // Empty: std::thread. A seam for tests of a process at its thread limit.
    std::function<std::thread(std::function<void()>)> startThread;
};

// Thread contract: every member, construction and destruction on the dispatcher's owning (main)
// thread; handlers are called there. Stop hands on inside itself what was still on its way; a
// hand-over still queued after Stop, or when the notifier is destroyed, delivers nothing.
class KolChangeNotifier {
public:
    using Callback = std::function<void(KolChangeNotifier& notifier, const ChangeMessage& message)>;
    // `stopped`: the notifier hears nothing any more (its root is gone or is another folder) and
    // must be started again; otherwise parts of the tree are heard only on the rescan timer.
    using TroubleCallback = std::function<void(KolChangeNotifier& notifier, const std::string& message, bool stopped)>;

    using Options = ChangeNotifierOptions;

    explicit KolChangeNotifier(platform::Dispatcher& dispatcher, Options options = {});
    ~KolChangeNotifier();
    KolChangeNotifier(const KolChangeNotifier&) = delete;
    KolChangeNotifier& operator=(const KolChangeNotifier&) = delete;

    // Taken by the next Start.
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }
    void SetWatchSubtree(bool flag) { watchSubtree_ = flag; }
    bool WatchSubtree() const { return watchSubtree_; }
    std::vector<std::string>& Masks() { return masks_; }
    const std::vector<std::string>& Masks() const { return masks_; }
    void SetMaxWatchers(std::size_t count) { maxWatchers_ = count; }
    std::size_t MaxWatchers() const { return maxWatchers_; }

    void SetOnAdded(Callback handler) { onAdded_ = std::move(handler); }
    void SetOnModified(Callback handler) { onModified_ = std::move(handler); }
    void SetOnDeleted(Callback handler) { onDeleted_ = std::move(handler); }
    void SetOnTrouble(TroubleCallback handler) { onTrouble_ = std::move(handler); }

    // Throws NotifierStartError (kScanningDirectoryMissing) when the path is not a folder, or
    // kNoThreadForTheRoot. Does nothing when already started. The snapshot starts empty and the
    // first scans of the start fill it silently; folders that appear later are reported in full.
    void Start();
    // Returns once every thread has ended, after handing every change found so far (settling ones
    // included) to the handlers, unless called from inside a handler. Does nothing when stopped.
    void Stop();
    bool Active() const { return run_ != nullptr; }

    // Observations for tests and benchmarks.
    bool Settled() const;  // every watcher so far has finished its first scan
    std::vector<std::string> WatchedFolders() const;
    bool Remembers(const std::string& path) const;
    std::size_t SnapshotSize() const;

private:
    struct Run;
    struct Outgoing;
    enum class Kind { Added, Modified, Deleted, Trouble };

    void DeliverQueued(Run& run);
    void Deliver(const Outgoing& item);

    platform::Dispatcher& dispatcher_;
    Options options_;
    std::string path_ = "/";
    bool watchSubtree_ = false;
    std::vector<std::string> masks_;
    std::size_t maxWatchers_ = 2000;
    Callback onAdded_;
    Callback onModified_;
    Callback onDeleted_;
    TroubleCallback onTrouble_;
    std::shared_ptr<Run> run_;
    bool delivering_ = false;  // main thread: a handler is running
    // False once destruction has begun: a handler may destroy the notifier while Stop delivers.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pellmar
