// Bounded first-in first-out queue of owned items (the change event queue), guarded by one lock
// and four events, with small negative result codes. Each item travels with a 32-bit size that
// is handed back unread. Knows nothing of change events or the database.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/Event.h"

namespace pellmar {

enum QueueResult : std::int32_t {
    kQueueDone = 0,
    kQueueEmptyItem = -1,     // put: nothing stored; get: the slot held no item (still consumed)
    kQueueClosed = -2,        // closed while the caller waited
    kQueuePutTimedOut = -4,
    kQueueGetTimedOut = -5,
    kQueuePutWaitFailed = -6,
    kQueueGetWaitFailed = -7,
    kQueueFull = -8,          // put with a time-out of 0
    kQueueEmpty = -9,         // get with a time-out of 0
};

// Thread contract: any number of threads may Put and Get concurrently; both block up to their
// time-out (platform::kInfinite: no limit; 0: never). No lock is held while waiting. The queue
// owns the items it holds and destroys those still held when it goes; it must outlive every
// caller that may be blocked in it.
template <typename T>
class KolGenQueue {
public:
    using Item = std::unique_ptr<T>;

    // A capacity below 1 is taken as 1: a ring without slots could never hand anything on.
    explicit KolGenQueue(std::int32_t capacity)
        : capacity_(capacity < 1 ? 1 : capacity), slots_(static_cast<std::size_t>(capacity_)) {}

    ~KolGenQueue() {
        std::lock_guard lock(mutex_);
        for (Slot& slot : slots_) slot.item.reset();
        count_ = 0;
    }

    KolGenQueue(const KolGenQueue&) = delete;
    KolGenQueue& operator=(const KolGenQueue&) = delete;

    // Takes `item` only when the result is kQueueDone; otherwise the caller still owns it.
    std::int32_t Put(Item& item, std::int32_t size, std::uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        const Deadline deadline(timeoutMs);
        while (count_ >= capacity_ && timeoutMs != 0) {
            std::int32_t failure = WaitOutsideLock(lock, waitingPutters_, notFull_, closedForPutters_, deadline,
                                                   kQueuePutTimedOut, kQueuePutWaitFailed);
            if (failure != kQueueDone) return failure;
        }
        if (count_ >= capacity_) return kQueueFull;
        if (!item) return kQueueEmptyItem;
        writePosition_ = Advance(writePosition_);
        Slot& slot = slots_[static_cast<std::size_t>(writePosition_)];
        slot.item = std::move(item);
        slot.size = size;
        ++count_;
        // Left set while room remains, so a second waiting putter is not stranded when two
        // takes coalesced into one signal of the auto-reset event.
        if (count_ < capacity_) notFull_.Set(); else notFull_.Reset();
        notEmpty_.Set();
        return kQueueDone;
    }

    // On kQueueDone (and kQueueEmptyItem) the slot's item and size are handed out.
    std::int32_t Get(Item& item, std::int32_t& size, std::uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        const Deadline deadline(timeoutMs);
        while (count_ == 0 && timeoutMs != 0) {
            std::int32_t failure = WaitOutsideLock(lock, waitingTakers_, notEmpty_, closedForTakers_, deadline,
                                                   kQueueGetTimedOut, kQueueGetWaitFailed);
            if (failure != kQueueDone) return failure;
        }
        if (count_ == 0) return kQueueEmpty;
        readPosition_ = Advance(readPosition_);
        Slot& slot = slots_[static_cast<std::size_t>(readPosition_)];
        item = std::move(slot.item);
        size = slot.size;
        slot.size = 0;
        --count_;
        notFull_.Set();
        // Same reasoning as in Put: items left behind keep the signal up for the next taker.
        if (count_ == 0) notEmpty_.Reset(); else notEmpty_.Set();
        return item ? kQueueDone : kQueueEmptyItem;
    }

    // Every Get that waits, now or later, returns kQueueClosed. Items still held stay held.
    void CloseQueue() { closedForTakers_.Set(); }

    std::int32_t Count() const {
        std::lock_guard lock(mutex_);
        return count_;
    }

    std::int32_t Capacity() const { return capacity_; }

    // Threads blocked in Get / Put right now (bookkeeping; a snapshot that may change at once).
    std::int32_t WaitingTakers() const {
        std::lock_guard lock(mutex_);
        return waitingTakers_;
    }
    std::int32_t WaitingPutters() const {
        std::lock_guard lock(mutex_);
        return waitingPutters_;
    }

private:
    struct Slot {
        Item item;
        std::int32_t size = 0;
    };

    class Deadline {
    public:
        explicit Deadline(std::uint32_t timeoutMs)
            : unlimited_(timeoutMs == platform::kInfinite),
              end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}
        // What is left of the caller's time-out, so that repeated wake-ups never stretch it.
        std::uint32_t RemainingMs() const {
            if (unlimited_) return platform::kInfinite;
            auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
            return left.count() > 0 ? static_cast<std::uint32_t>(left.count()) : 0;
        }

    private:
        bool unlimited_;
        std::chrono::steady_clock::time_point end_;
    };

    std::int32_t Advance(std::int32_t position) const { return position + 1 >= capacity_ ? 0 : position + 1; }

    // Leaves the lock for one wait on `ready` or `closed`; kQueueDone means "test again".
    std::int32_t WaitOutsideLock(std::unique_lock<std::mutex>& lock, std::int32_t& waitingCount,
                                 platform::Event& ready, platform::Event& closed, const Deadline& deadline,
                                 std::int32_t timedOutCode, std::int32_t failedCode) {
        ++waitingCount;
        lock.unlock();
        platform::WaitResult result = platform::WaitResult::TimedOut;
        bool failed = false;
        try {
            result = platform::Event::WaitForAny(ready, closed, deadline.RemainingMs());
        } catch (const std::system_error&) {
            failed = true;
        }
        lock.lock();
        --waitingCount;
        if (failed) return failedCode;
        if (result == platform::WaitResult::Second) return kQueueClosed;
        if (result == platform::WaitResult::TimedOut) return timedOutCode;
        return kQueueDone;
    }

    const std::int32_t capacity_;
    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    std::int32_t writePosition_ = 0;
    std::int32_t readPosition_ = 0;
    std::int32_t count_ = 0;
    std::int32_t waitingTakers_ = 0;
    std::int32_t waitingPutters_ = 0;
    platform::Event notEmpty_{platform::Event::Mode::AutoReset};
    platform::Event closedForTakers_{platform::Event::Mode::ManualReset};
    platform::Event notFull_{platform::Event::Mode::AutoReset};
    platform::Event closedForPutters_{platform::Event::Mode::ManualReset};
};

}  // namespace pellmar
