// The snapshot change engine: watchers for the root and its direct sub-folders (deeper folders
// scanned inline by the watcher above them), a snapshot of every wanted file, and a deletion
// checker, all on threads of their own. Changes reach the main thread through Dispatcher::Post.
// Knows nothing of scanners, exceptions or backup folders.
#pragma once

#include "platform/Dispatcher.h"
#include "tray/monitor/FileSnapshot.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellmar {

inline constexpr const char* kScanningDirectoryMissing = "The scanning directory does not exists";

class NotifierStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ChangeNotifierOptions {
    std::chrono::milliseconds rescanInterval{30000};  // the signal where the file system is blind
    bool rescanOnly = false;                           // treat every folder as blind
};

// Thread contract: every member, construction and destruction on the dispatcher's owning (main)
// thread; handlers are called there. Messages still queued when Stop returns, or when the
// notifier is destroyed, are discarded.
class KolChangeNotifier {
public:
    using Callback = std::function<void(KolChangeNotifier& notifier, const ChangeMessage& message)>;

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

    // Throws NotifierStartError (kScanningDirectoryMissing) when the path is not a folder.
    // Does nothing when already started. The snapshot starts empty and fills silently.
    void Start();
    // Returns once every thread has ended. Does nothing when stopped.
    void Stop();
    bool Active() const { return run_ != nullptr; }

    // Observations for tests and benchmarks.
    bool Settled() const;  // every watcher so far has finished its first scan
    std::vector<std::string> WatchedFolders() const;
    bool Remembers(const std::string& path) const;
    std::size_t SnapshotSize() const;

private:
    struct Run;
    enum class Kind { Added, Modified, Deleted };

    void Deliver(Kind kind, const ChangeMessage& message);

    platform::Dispatcher& dispatcher_;
    Options options_;
    std::string path_ = "/";
    bool watchSubtree_ = false;
    std::vector<std::string> masks_;
    std::size_t maxWatchers_ = 2000;
    Callback onAdded_;
    Callback onModified_;
    Callback onDeleted_;
    std::shared_ptr<Run> run_;
};

}  // namespace pellmar
