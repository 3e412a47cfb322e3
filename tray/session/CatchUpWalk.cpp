// The walk's loop: depth first, one folder at a time, a stop request honoured between folders.
#include "tray/session/CatchUpWalk.h"

#include <system_error>
#include <utility>

namespace pellmar {
namespace {

// Small enough that the main thread feeds one batch between two other pieces of work, large
// enough that a tree of changed files costs few hand-overs.
constexpr std::size_t kBatchSize = 256;

// What the folders compared since the last batch found, handed on whole.
CatchUpWalk::Batch TakeBatch(FolderComparison& found) {
    CatchUpWalk::Batch batch{std::move(found.outOfDate), std::move(found.missingFolders), std::move(found.unreachable)};
    found = {};
    return batch;
}

}  // namespace

std::unique_ptr<CatchUpWalk> CatchUpWalk::Begin(CatchUpPlan plan, BatchHandler onBatch, EndHandler onEnd) {
    std::unique_ptr<CatchUpWalk> walk(new CatchUpWalk(std::move(plan), std::move(onBatch), std::move(onEnd)));
    try {
        walk->thread_ = std::jthread([raw = walk.get()](std::stop_token stop) { raw->Walk(stop); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return walk;
}

CatchUpWalk::CatchUpWalk(CatchUpPlan plan, BatchHandler onBatch, EndHandler onEnd)
    : plan_(std::move(plan)), onBatch_(std::move(onBatch)), onEnd_(std::move(onEnd)) {}

CatchUpWalk::~CatchUpWalk() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void CatchUpWalk::Walk(std::stop_token stop) {
    std::vector<std::string> pending{plan_.root};
    FolderComparison found;  // appended to folder by folder
    while (!pending.empty()) {
        if (stop.stop_requested()) return;
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        CompareFolderWithBackup(plan_, folder, &found);
        pending.insert(pending.end(), found.subfolders.begin(), found.subfolders.end());
        found.subfolders.clear();
        if (found.outOfDate.size() + found.missingFolders.size() + found.unreachable.size() >= kBatchSize)
            onBatch_(TakeBatch(found));
    }
    Batch last = TakeBatch(found);
    if (last.Size() > 0) onBatch_(std::move(last));
    onEnd_();
}

}  // namespace pellmar
