// The plain main-thread loop: a queue drained by the owning thread; each Send waits on a ticket of
// its own (SendTicket).
#include "platform/PlainDispatcher.h"

#include "platform/SendTicket.h"

#include <algorithm>
#include <utility>

namespace pellmar::platform {

PlainDispatcher::PlainDispatcher() : owner_(std::this_thread::get_id()) {}

PlainDispatcher::~PlainDispatcher() { Quit(); }

bool PlainDispatcher::IsOwningThread() const { return std::this_thread::get_id() == owner_; }

bool PlainDispatcher::Send(std::function<void()> work, std::stop_token stop) {
    if (IsOwningThread()) {
        if (stop.stop_requested() || Stopped()) return false;
        work();
        return true;
    }
    auto ticket = std::make_shared<SendTicket>();
    {
        std::lock_guard lock(mutex_);
        if (quit_) return false;
        queue_.push_back(Item{std::move(work), ticket});
        // Under the lock: once it is released this sender touches only its ticket, so the
        // dispatcher may be destroyed while the sender waits.
        arrived_.notify_all();
    }
    return ticket->AwaitRun(stop);
}

void PlainDispatcher::Post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (quit_) return;
        queue_.push_back(Item{std::move(work), nullptr});
        arrived_.notify_all();
    }
}

void PlainDispatcher::Quit() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        dropped.swap(queue_);
    }
    arrived_.notify_all();
    for (Item& item : dropped) {
        if (item.ticket) item.ticket->Drop();
    }
    // The dropped work is destroyed here, outside the lock: its captures may do anything.
}

bool PlainDispatcher::TakeOne(Item* item) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    *item = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

bool PlainDispatcher::Execute(Item& item) {
    if (!item.ticket) {
        item.work();
        return true;
    }
    return item.ticket->RunUnlessAbandoned(item.work);
}

void PlainDispatcher::Run() {
    for (;;) {
        Item item;
        {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [&] { return quit_ || !queue_.empty(); });
            if (quit_) return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        Execute(item);
    }
}

std::size_t PlainDispatcher::RunPending() {
    // Work queued by the work itself waits for the next call, so one call always ends.
    std::size_t left = PendingCount();
    std::size_t ran = 0;
    Item item;
    for (; left > 0 && TakeOne(&item); --left) {
        if (Execute(item)) ++ran;
        item = Item{};
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
        std::unique_lock lock(mutex_);
        arrived_.wait_until(lock, slice, [&] { return quit_ || !queue_.empty(); });
        if (quit_) return condition();
    }
}

bool PlainDispatcher::Stopped() const {
    std::lock_guard lock(mutex_);
    return quit_;
}

std::size_t PlainDispatcher::PendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace pellmar::platform
