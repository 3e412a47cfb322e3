// The meeting point of one Send: the sender waits on its own ticket, never on the dispatcher, so a
// sender released by Quit or by its stop token touches nothing a dispatcher's destruction could
// take away. Shared by every dispatcher flavour; knows nothing of queues or event loops.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>

namespace pellmar::platform {

// Thread contract: the sender calls AwaitRun, the owning thread RunUnlessAbandoned, the
// dispatcher Drop; any order, each at most once.
struct SendTicket {
    enum class State { Queued, Running, Done, Dropped };

    // The owning thread's side: runs `work` unless the sender gave up, and marks the ticket done
    // even when the work throws, so the sender always goes on. False when it did not run.
    bool RunUnlessAbandoned(const std::function<void()>& work) {
        if (!Leave(State::Running)) return false;
        struct Finisher {
            SendTicket& ticket;
            ~Finisher() { ticket.Finish(); }
        } finisher{*this};
        work();
        return true;
    }

    // The dispatcher's side when it stops: queued work will never run.
    void Drop() { Leave(State::Dropped); }

    // The sender's side: true once the work has run; false when it was dropped or `stop` came
    // first, and then it never begins.
    bool AwaitRun(std::stop_token stop) {
        std::unique_lock lock(mutex_);
        // The stop token is looked at between short waits rather than through a stop callback:
        // the Windows runtime's wait for a callback that runs on another thread can miss its
        // wake-up and never return, which would hang the program's exit.
        while (state_ != State::Done && state_ != State::Dropped && !stop.stop_requested()) {
            changed_.wait_for(lock, kStopPollInterval);
        }
        if (state_ == State::Done) return true;
        if (state_ == State::Queued) state_ = State::Dropped;
        return false;
    }

private:
    // Moves Queued on to `next`; false when the piece has left the queued state already.
    bool Leave(State next) {
        {
            std::lock_guard lock(mutex_);
            if (state_ != State::Queued) return false;
            state_ = next;
        }
        changed_.notify_all();
        return true;
    }
    void Finish() {
        {
            std::lock_guard lock(mutex_);
            state_ = State::Done;
        }
        changed_.notify_all();
    }

    static constexpr std::chrono::milliseconds kStopPollInterval{20};

    std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Queued;
};

}  // namespace pellmar::platform
