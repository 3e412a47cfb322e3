// The catch-ups of a session's monitors: at most one background walk per monitor, a request
// while one runs merged into it (it walks once more when done), and the files it finds fed
// through the monitor's event path on the main thread. Owns the walks; does not own monitors.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/Dispatcher.h"
#include "tray/monitor/FolderScanner.h"

namespace pellmar {

// Thread contract: main thread only (the dispatcher's owner); `finished` runs there. Every
// monitor handed in stays alive until Cancel has been called for it (or the object is gone).
class CatchUps {
public:
    // `queued`: how many files the walk queued; `requested`: the user asked for it ("synchronise
    // now"), so the count is worth telling even when it is nothing.
    using Finished = std::function<void(FolderScanner& monitor, int queued, bool requested)>;

    CatchUps(platform::Dispatcher& dispatcher, Finished finished);
    ~CatchUps();  // cancels every walk
    CatchUps(const CatchUps&) = delete;
    CatchUps& operator=(const CatchUps&) = delete;

    // Starts a walk of the monitor's tree as configured now, or merges into the one running.
    // False when no walk could start (no thread to be had): ask again later.
    bool Request(FolderScanner& monitor, bool requested = false);
    // Stops the monitor's walk, if any, and forgets it; nothing of it is reported afterwards.
    void Cancel(FolderScanner& monitor);
    void CancelAll();
    // The monitor's engine reported a change of `path`: its copy is on its way, so a walk that
    // finds the file out of date has nothing to add.
    void Heard(const FolderScanner& monitor, const std::string& path);
    bool Running(const FolderScanner& monitor) const { return runs_.contains(&monitor); }

private:
    struct Run;

    bool Begin(const std::shared_ptr<Run>& run);
    void Ended(const std::shared_ptr<Run>& run);

    platform::Dispatcher& dispatcher_;
    Finished finished_;
    std::unordered_map<const FolderScanner*, std::shared_ptr<Run>> runs_;
};

}  // namespace pellmar
