// The walk's loop: depth first, one folder at a time, a stop request honoured between folders.
#include "tray/monitor/CatchUpWalk.h"

#include <system_error>
#include <utility>

namespace pellmar {
namespace {

// Small enough that the main thread feeds one batch between two other pieces of work, large
// enough that a tree of changed files costs few hand-overs.
constexpr std::size_t kBatchSize = 256;

void Append(const std::vector<std::string>& from, std::vector<std::string>* to) {
    to->insert(to->end(), from.begin(), from.end());
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
    Batch batch;
    FolderComparison found;
    while (!pending.empty()) {
        if (stop.stop_requested()) return;
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        CompareFolderWithBackup(plan_, folder, &found);
        Append(found.outOfDate, &batch.outOfDate);
        Append(found.missingFolders, &batch.missingFolders);
        Append(found.unreachable, &batch.unreachable);
        pending.insert(pending.end(), found.subfolders.begin(), found.subfolders.end());
        found = {};
        if (batch.Size() >= kBatchSize) onBatch_(std::exchange(batch, {}));
    }
    if (batch.Size() > 0) onBatch_(std::move(batch));
    onEnd_();
}

}  // namespace pellmar
