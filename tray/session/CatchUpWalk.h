// One walk of a monitor's tree against its backup, on a thread of its own: folder by folder it
// finds the files whose backup is missing or out of date and hands them on in batches. It never
// touches a scanner or the main thread itself; what to do with a batch is the owner's.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tray/session/Reconcile.h"

namespace pellmar {

// Thread contract: made, stopped and destroyed on one thread (the main thread). `onBatch` and
// `onEnd` run on the walk's thread and must not wait for the owner's thread: they post.
class CatchUpWalk {
public:
    // Full paths out of date, folders missing from the backup, and paths too long to be reached.
    struct Batch {
        std::vector<std::string> outOfDate;
        std::vector<std::string> missingFolders;
        std::vector<std::string> unreachable;
        std::size_t Size() const { return outOfDate.size() + missingFolders.size() + unreachable.size(); }
    };
    using BatchHandler = std::function<void(Batch)>;
    using EndHandler = std::function<void()>;  // the last call of a walk that was not stopped

    // Nothing when no thread can be had right now.
    static std::unique_ptr<CatchUpWalk> Begin(CatchUpPlan plan, BatchHandler onBatch, EndHandler onEnd);

    // Stops between two folders and waits for the thread; a batch in hand is not handed on.
    ~CatchUpWalk();
    CatchUpWalk(const CatchUpWalk&) = delete;
    CatchUpWalk& operator=(const CatchUpWalk&) = delete;

private:
    CatchUpWalk(CatchUpPlan plan, BatchHandler onBatch, EndHandler onEnd);
    void Walk(std::stop_token stop);

    const CatchUpPlan plan_;
    const BatchHandler onBatch_;
    const EndHandler onEnd_;
    std::jthread thread_;
};

}  // namespace pellmar
