// A run is shared by the walk's posted batches and its end: once cancelled it is no longer live,
// and whatever of it still reaches the main thread is dropped there.
#include "tray/session/CatchUps.h"

#include "tray/session/CatchUpWalk.h"

#include <unordered_set>
#include <utility>

namespace pellmar {

struct CatchUps::Run {
    FolderScanner* monitor;
    bool live = true;
    bool again = false;
    bool requested = false;
    int queued = 0;
    std::unique_ptr<CatchUpWalk> walk;
    // Paths the engine reported while this run walks: bounded by what changes meanwhile.
    std::unordered_set<std::string> heard;
};

CatchUps::CatchUps(platform::Dispatcher& dispatcher, Finished finished)
    : dispatcher_(dispatcher), finished_(std::move(finished)) {}

CatchUps::~CatchUps() { CancelAll(); }

bool CatchUps::Request(FolderScanner& monitor, bool requested) {
    if (const auto found = runs_.find(&monitor); found != runs_.end()) {
        found->second->again = true;
        found->second->requested |= requested;
        return true;
    }
    auto run = std::make_shared<Run>(Run{&monitor, true, false, requested, 0, nullptr, {}});
    if (!Begin(run)) return false;
    runs_.emplace(&monitor, std::move(run));
    return true;
}

bool CatchUps::Begin(const std::shared_ptr<Run>& run) {
    platform::Dispatcher& dispatcher = dispatcher_;
    auto onBatch = [&dispatcher, run](CatchUpWalk::Batch batch) {
        dispatcher.Post([run, batch = std::move(batch)] {
            // Folders first: a folder's job must come before the jobs of the files in it.
            for (const std::string& path : batch.missingFolders) {
                if (!run->live) return;
                run->monitor->ReportFolderCreated(path);
            }
            for (const std::string& path : batch.outOfDate) {
                if (!run->live) return;
                if (!run->heard.contains(path) && run->monitor->ReportOutOfDate(path)) ++run->queued;
            }
            for (const std::string& path : batch.unreachable) {
                if (!run->live) return;
                run->monitor->ReportUnreachable(path);
            }
        });
    };
    auto onEnd = [this, &dispatcher, run] {
        // A live run means this object is alive too: it cancels every run before it goes.
        dispatcher.Post([this, run] {
            if (run->live) Ended(run);
        });
    };
    run->walk = CatchUpWalk::Begin(PlanOf(*run->monitor), std::move(onBatch), std::move(onEnd));
    return run->walk != nullptr;
}

void CatchUps::Ended(const std::shared_ptr<Run>& run) {
    run->walk.reset();
    FolderScanner& monitor = *run->monitor;
    const int queued = std::exchange(run->queued, 0);
    const bool requested = std::exchange(run->requested, false);
    // What was asked for while walking may concern folders already passed: walk once more.
    const bool again = std::exchange(run->again, false) && Begin(run);
    if (!again) {
        run->live = false;
        runs_.erase(&monitor);
    }
    // Last: the handler may touch this object.
    if (finished_) finished_(monitor, queued, requested);
}

void CatchUps::Cancel(FolderScanner& monitor) {
    const auto found = runs_.find(&monitor);
    if (found == runs_.end()) return;
    const std::shared_ptr<Run> run = std::move(found->second);
    runs_.erase(found);
    run->live = false;
    run->walk.reset();
}

void CatchUps::Heard(const FolderScanner& monitor, const std::string& path) {
    if (const auto found = runs_.find(&monitor); found != runs_.end()) found->second->heard.insert(path);
}

void CatchUps::CancelAll() {
    while (!runs_.empty()) Cancel(*runs_.begin()->second->monitor);
}

}  // namespace pellmar
