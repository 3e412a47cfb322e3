// Event built on one mutex per event plus one condition variable per waiting thread, so that a
// thread can wait on two events at once. Lock order: an event's mutex, then a waiter's mutex.
#include "platform/Event.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <optional>

namespace pellmar::platform {

struct Event::Waiter {
    std::mutex mutex;
    std::condition_variable wake;
    bool notified = false;
};

Event::Event(Mode mode, bool initiallySet) : mode_(mode), signalled_(initiallySet) {}

Event::~Event() = default;

void Event::Set() {
    std::lock_guard lock(mutex_);
    signalled_ = true;
    // Every attached waiter re-tests; with auto reset only the first to consume wins.
    for (Waiter* waiter : waiters_) {
        std::lock_guard waiterLock(waiter->mutex);
        waiter->notified = true;
        waiter->wake.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool Event::TryConsume() {
    std::lock_guard lock(mutex_);
    if (!signalled_) return false;
    if (mode_ == Mode::AutoReset) signalled_ = false;
    return true;
}

void Event::Attach(Waiter* waiter) {
    std::lock_guard lock(mutex_);
    waiters_.push_back(waiter);
}

void Event::Detach(Waiter* waiter) {
    std::lock_guard lock(mutex_);
    waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), waiter), waiters_.end());
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    Event* events[] = {this};
    return WaitForSet(events, 1, timeoutMs);
}

WaitResult Event::WaitForAny(Event& first, Event& second, std::uint32_t timeoutMs) {
    Event* events[] = {&first, &second};
    return WaitForSet(events, 2, timeoutMs);
}

WaitResult Event::WaitForSet(Event* const* events, int count, std::uint32_t timeoutMs) {
    auto tryAll = [&]() -> std::optional<WaitResult> {
        for (int i = 0; i < count; ++i) {
            if (events[i]->TryConsume()) return i == 0 ? WaitResult::First : WaitResult::Second;
        }
        return std::nullopt;
    };
    if (auto result = tryAll()) return *result;
    if (timeoutMs == 0) return WaitResult::TimedOut;

    using Clock = std::chrono::steady_clock;
    const bool unlimited = timeoutMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Waiter waiter;
    // Attached before the second test, so a Set between that test and the wait is not lost.
    for (int i = 0; i < count; ++i) events[i]->Attach(&waiter);
    std::optional<WaitResult> result;
    while (!(result = tryAll())) {
        std::unique_lock lock(waiter.mutex);
        if (unlimited) {
            waiter.wake.wait(lock, [&] { return waiter.notified; });
        } else if (!waiter.wake.wait_until(lock, deadline, [&] { return waiter.notified; })) {
            lock.unlock();
            result = tryAll();
            if (!result) result = WaitResult::TimedOut;
            break;
        }
        waiter.notified = false;
    }
    for (int i = 0; i < count; ++i) events[i]->Detach(&waiter);
    return *result;
}

}  // namespace pellmar::platform
