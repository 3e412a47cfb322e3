// The queue and tickets of the dispatchers. Each sender waits on a ticket of its own, so a
// released sender never touches the queue again and the queue may go while it waits.
#include "platform/DispatchQueue.h"

#include "platform/SendTicket.h"

#include <utility>

namespace pellmar::platform {

DispatchQueue::DispatchQueue(std::function<void()> wake) : owner_(std::this_thread::get_id()), wake_(std::move(wake)) {}

DispatchQueue::~DispatchQueue() { Quit(); }

bool DispatchQueue::Queue(Item item) {
    std::lock_guard lock(mutex_);
    if (quit_) return false;
    queue_.push_back(std::move(item));
    wake_();
    return true;
}

bool DispatchQueue::Send(std::function<void()> work, std::stop_token stop) {
    if (IsOwningThread()) {
        if (stop.stop_requested() || Stopped()) return false;
        work();
        return true;
    }
    auto ticket = std::make_shared<SendTicket>();
    if (!Queue(Item{std::move(work), ticket})) return false;
    return ticket->AwaitRun(stop);
}

void DispatchQueue::Post(std::function<void()> work) { Queue(Item{std::move(work), nullptr}); }

void DispatchQueue::Quit() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(mutex_);
        if (quit_) return;
        quit_ = true;
        dropped.swap(queue_);
        // Once more under the lock: an owner asleep on the condition variable sees quit_.
        wake_();
    }
    for (Item& item : dropped) {
        if (item.ticket) item.ticket->Drop();
    }
    // The dropped work is destroyed here, outside the lock: its captures may do anything.
}

bool DispatchQueue::Stopped() const {
    std::lock_guard lock(mutex_);
    return quit_;
}

std::size_t DispatchQueue::Size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

bool DispatchQueue::RunOne(bool* ran) {
    Item item;
    {
        std::lock_guard lock(mutex_);
        if (quit_ || queue_.empty()) return false;
        item = std::move(queue_.front());
        queue_.pop_front();
    }
    const bool executed = item.ticket ? item.ticket->RunUnlessAbandoned(item.work) : (item.work(), true);
    if (ran) *ran = executed;
    return true;
}

}  // namespace pellmar::platform
