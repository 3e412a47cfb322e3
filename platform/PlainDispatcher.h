// The plain main-thread loop: a queue of work drained by the owning thread, for the headless host
// and the tests. Owns the queued work until it runs or is dropped; knows nothing of windows.
#pragma once

#include "platform/DispatchQueue.h"
#include "platform/Dispatcher.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>

namespace pellmar::platform {

// Thread contract: Send, Post, Quit and PendingCount from any thread; Run, RunPending and
// RunUntil only on the owning thread (the one that constructed it). Destruction counts as Quit.
class PlainDispatcher final : public Dispatcher {
public:
    PlainDispatcher();
    ~PlainDispatcher() override;
    PlainDispatcher(const PlainDispatcher&) = delete;
    PlainDispatcher& operator=(const PlainDispatcher&) = delete;

    bool Send(std::function<void()> work, std::stop_token stop = {}) override;
    void Post(std::function<void()> work) override;
    bool IsOwningThread() const override;

    // Runs work as it arrives until Quit is called.
    void Run();
    // Final: Run returns after the piece in hand, queued and later work is dropped, and every
    // sender waiting in Send is released with false.
    void Quit();
    // Runs the pieces queued at the time of the call; returns how many ran (abandoned sends do not).
    std::size_t RunPending();
    // Runs work until `condition` holds or `deadline` has passed; returns condition().
    bool RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline);
    // Pieces queued and not yet taken, including sends whose sender has given up.
    std::size_t PendingCount() const;

private:
    std::condition_variable arrived_;
    DispatchQueue queue_;
};

}  // namespace pellmar::platform
