// One directory monitor: watches a folder (optionally its whole tree) through the platform's
// DirectoryWatch on a worker thread of its own, hands each buffer of records (and, while a repeat
// is held back or a file is written without a close, an empty flush once one is due) to the main
// thread and reports every surviving record through OnChange there. A file written without a
// close is reported as modified once it has been quiet for a while, and at least once a minute
// while it keeps being written. Knows nothing of masks or scanners.
#pragma once

#include "platform/Dispatcher.h"
#include "platform/DirectoryWatch.h"
#include "platform/LocalClock.h"
#include "tray/monitor/notification/ChangeBuffer.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace pellmar {

// Raised by Start with a message that says why the folder cannot be watched.
class DirMonitorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kCannotFindDirectory = "Cannot find the directory";
inline constexpr const char* kErrorOnCompletionPort = "Error on \"CreateIoCompletionPort\"";
inline constexpr const char* kNoWatcherThread = "A thread to watch the folder cannot be created";

// Thread contract: every member, construction and destruction on the dispatcher's owning (main)
// thread; OnChange is called there too. Stop never waits for the main thread, so it cannot
// deadlock with a worker blocked in the hand-over.
class KolDirMonitor {
public:
    using ChangeHandler = std::function<void(KolDirMonitor& monitor, DirAction action, const std::string& name)>;
    using Clock = std::function<platform::LocalTimeFields()>;

    explicit KolDirMonitor(platform::Dispatcher& dispatcher, Clock clock = platform::LocalTimeNow);
    ~KolDirMonitor();
    KolDirMonitor(const KolDirMonitor&) = delete;
    KolDirMonitor& operator=(const KolDirMonitor&) = delete;

    // Taken by the next Start; a running monitor keeps what it was started with.
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }
    void SetWatchSubtree(bool flag) { watchSubtree_ = flag; }
    bool WatchSubtree() const { return watchSubtree_; }

    bool Active() const { return active_; }
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

    // Does nothing when active. Throws DirMonitorError and stays inactive when the folder
    // cannot be watched. A start that could not watch every folder of the tree runs, and
    // Partial() says so until the next Start.
    void Start();
    bool Partial() const { return partial_; }
    // Does nothing when inactive. Returns once the worker has ended; no record is delivered
    // after it returns. Before it returns it delivers, through OnChange, every record already
    // read (a buffer whose hand-over it cut short), every change the OS still holds for the
    // watch, and last a modification held back as a same-second repeat. Called from inside a
    // handler it ends delivery at once (the rest of that buffer and anything pending is dropped,
    // the held repeat still delivered); off the main thread it drops everything. Files written
    // without a close are delivered as modified just before the held repeat. Destruction
    // drops everything too.
    void Stop();

private:
    struct Run;

    static void Work(std::stop_token stop, std::shared_ptr<Run> run);
    void End(bool deliverPending);
    void DeliverRemaining(Run& run);
    ChangeBufferContext ContextFor(const Run& run);
    void Notify(DirAction action, const std::string& name);
    void Broken(Run& run);
    void Deliver(const ChangeBuffer& buffer, Run& run);
    void FlushHeld(Run& run);
    void PlanNextFlush(Run& run);
    void DeliverOpenWrites(std::vector<std::string> names);

    platform::Dispatcher& dispatcher_;
    Clock clock_;
    std::string path_ = "/";
    bool watchSubtree_ = false;
    bool active_ = false;
    bool partial_ = false;
    ChangeHandler onChange_;
    ModifiedRepeatFilter repeats_;
    OpenWrites writes_;
    std::string runningPath_;
    std::shared_ptr<Run> run_;
    // False once destruction has begun: a handler may destroy the monitor while Stop delivers.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::jthread worker_;
};

}  // namespace pellmar
