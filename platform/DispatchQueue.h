// What every main-thread dispatcher shares: the queue of work, the tickets its senders wait on,
// running inline on the owning thread, and the final Quit. A flavour adds only how the owning
// thread is woken (a condition variable, a Qt queued call, a window message) and when it drains.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace pellmar::platform {

struct SendTicket;

// Thread contract: Send, Post, Quit, Stopped and Size from any thread; RunOne only on the owning
// thread (the one that constructed it). `wake` is called under the queue's lock once per piece
// queued, so no wake-up reaches the owner after Quit; it must not call back into the queue.
class DispatchQueue {
public:
    explicit DispatchQueue(std::function<void()> wake);
    ~DispatchQueue();  // counts as Quit
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    // The Dispatcher contract: inline on the owning thread; elsewhere queued, and true once it
    // has run, false when Quit or `stop` came first (work not begun then never runs).
    bool Send(std::function<void()> work, std::stop_token stop);
    void Post(std::function<void()> work);
    bool IsOwningThread() const { return std::this_thread::get_id() == owner_; }

    // Final: queued and later work is dropped and every waiting sender is released with false.
    void Quit();
    bool Stopped() const;
    std::size_t Size() const;

    // Takes the oldest piece and runs it; false when none was queued (or the queue quit). A piece
    // whose sender gave up is taken without running. `ran` says whether it ran.
    bool RunOne(bool* ran = nullptr);

    // The lock the wake-up waits with, for a flavour whose owner sleeps on a condition variable.
    std::mutex& Mutex() const { return mutex_; }
    bool HasWorkLocked() const { return quit_ || !queue_.empty(); }

private:
    struct Item {
        std::function<void()> work;
        std::shared_ptr<SendTicket> ticket;  // null for posted work
    };
    bool Queue(Item item);

    const std::thread::id owner_;
    const std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::deque<Item> queue_;
    bool quit_ = false;
};

}  // namespace pellmar::platform
