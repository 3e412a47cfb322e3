// The plain main-thread loop: the shared queue, woken through a condition variable.
#include "platform/PlainDispatcher.h"

#include <algorithm>

namespace pellmar::platform {

// Notified under the queue's lock, which is also the one the owner waits with.
PlainDispatcher::PlainDispatcher() : queue_([this] { arrived_.notify_all(); }) {}

PlainDispatcher::~PlainDispatcher() { Quit(); }

bool PlainDispatcher::IsOwningThread() const { return queue_.IsOwningThread(); }

bool PlainDispatcher::Send(std::function<void()> work, std::stop_token stop) {
    return queue_.Send(std::move(work), stop);
}

void PlainDispatcher::Post(std::function<void()> work) { queue_.Post(std::move(work)); }

void PlainDispatcher::Quit() { queue_.Quit(); }

void PlainDispatcher::Run() {
    for (;;) {
        {
            std::unique_lock lock(queue_.Mutex());
            arrived_.wait(lock, [&] { return queue_.HasWorkLocked(); });
        }
        if (!queue_.RunOne()) return;
    }
}

std::size_t PlainDispatcher::RunPending() {
    // Work queued by the work itself waits for the next call, so one call always ends.
    std::size_t left = PendingCount();
    std::size_t ran = 0;
    bool executed = false;
    for (; left > 0 && queue_.RunOne(&executed); --left) {
        if (executed) ++ran;
    }
    return ran;
}

bool PlainDispatcher::RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + deadline;
    for (;;) {
        RunPending();
        if (condition()) return true;
        const auto now = Clock::now();
        if (now >= end) return false;
        // The condition may also change without any work arriving (files, other threads).
        const auto slice = std::min(end, now + std::chrono::milliseconds(5));
        {
            std::unique_lock lock(queue_.Mutex());
            arrived_.wait_until(lock, slice, [&] { return queue_.HasWorkLocked(); });
        }
        if (queue_.Stopped()) return condition();
    }
}

std::size_t PlainDispatcher::PendingCount() const { return queue_.Size(); }

}  // namespace pellmar::platform
