// The lanes of a concurrent copy batch: each lane is a thread with a queue and a plain batch of
// its own. Stage hands a copy to the lane of its destination's folder; at the commit each lane,
// once it has staged what it was given, commits its own batch, and the results are put back in
// the order the copies were staged.
#include "platform/CopyBatch.h"
#include "platform/Environment.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace pellmar::platform {
namespace {

class Lane {
public:
    Lane() : thread_([this] { Run(); }) {}

    // Copies given but not yet staged are dropped; the batch removes the temporaries of the rest.
    ~Lane() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        thread_.join();
    }

    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;

    // The copy's place among this lane's copies since the last commit.
    std::size_t Give(const std::string& source, const std::string& destination) {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(source, destination);
        wake_.notify_all();
        return given_++;
    }

    // Asks the lane to commit once it has staged what it was given; lanes commit side by side,
    // since renaming thousands of copies into place costs as much as creating them.
    void RequestCommit() {
        std::lock_guard lock(mutex_);
        commitRequested_ = true;
        wake_.notify_all();
    }

    // The final result of each copy given since the last commit, in the order given.
    std::vector<CopyResult> TakeCommitted() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !commitRequested_; });
        given_ = 0;
        return std::exchange(committed_, {});
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty() || commitRequested_; });
            if (stopping_) return;
            if (queue_.empty()) {
                Commit(lock);
                continue;
            }
            const auto [source, destination] = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            const CopyResult result = batch_->Stage(source, destination);
            lock.lock();
            stageResults_.push_back(result);
        }
    }

    // Every copy given has been staged: the ones that could not be keep their own result.
    void Commit(std::unique_lock<std::mutex>& lock) {
        std::vector<CopyResult> results = std::exchange(stageResults_, {});
        lock.unlock();
        const std::vector<CopyResult> committed = batch_->Commit();
        std::size_t next = 0;
        for (CopyResult& result : results) {
            if (result != CopyResult::Copied) continue;
            result = next < committed.size() ? committed[next] : CopyResult::Failed;
            ++next;
        }
        lock.lock();
        committed_ = std::move(results);
        commitRequested_ = false;
        idle_.notify_all();
    }

    std::unique_ptr<CopyBatch> batch_ = CopyBatch::Create();
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::pair<std::string, std::string>> queue_;
    std::vector<CopyResult> stageResults_;
    std::vector<CopyResult> committed_;
    std::size_t given_ = 0;
    bool commitRequested_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once the rest is built
};

class ConcurrentCopyBatch final : public CopyBatch {
public:
    explicit ConcurrentCopyBatch(unsigned lanes) {
        for (unsigned i = 0; i < (lanes > 0 ? lanes : 1); ++i) lanes_.push_back(std::make_unique<Lane>());
    }

    CopyResult Stage(const std::string& source, const std::string& destination) override {
        const std::size_t lane = LaneOf(destination);
        order_.emplace_back(lane, lanes_[lane]->Give(source, destination));
        return CopyResult::Copied;
    }

    std::vector<CopyResult> Commit() override {
        for (const std::unique_ptr<Lane>& lane : lanes_) lane->RequestCommit();
        std::vector<std::vector<CopyResult>> byLane;
        for (const std::unique_ptr<Lane>& lane : lanes_) byLane.push_back(lane->TakeCommitted());
        std::vector<CopyResult> results;
        for (const auto& [lane, place] : std::exchange(order_, {})) results.push_back(byLane[lane].at(place));
        laneOfFolder_.clear();
        return results;
    }

private:
    // Each folder goes to one lane, the folders in turn: two threads creating files in one folder
    // would wait for each other on it.
    std::size_t LaneOf(const std::string& destination) {
        std::size_t cut = destination.size();
        while (cut > 0 && !IsPathDelimiter(destination[cut - 1])) --cut;
        const std::string folder = destination.substr(0, cut);
        const auto [known, added] = laneOfFolder_.emplace(folder, nextLane_);
        if (added) nextLane_ = (nextLane_ + 1) % lanes_.size();
        return known->second;
    }

    std::vector<std::unique_ptr<Lane>> lanes_;
    std::vector<std::pair<std::size_t, std::size_t>> order_;  // the lane and place of each staged copy
    std::unordered_map<std::string, std::size_t> laneOfFolder_;
    std::size_t nextLane_ = 0;
};

}  // namespace

std::unique_ptr<CopyBatch> CopyBatch::CreateConcurrent(unsigned lanes) {
    return std::make_unique<ConcurrentCopyBatch>(lanes);
}

}  // namespace pellmar::platform
