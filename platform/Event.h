// A signalling event in the manner of a Win32 event object: manual or auto reset, timed waits,
// and a wait for whichever of two events is signalled first. Portable (standard library only).
// Owns no thread; does not name events across processes (one process shares an Event by reference).
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace pellmar::platform {

// Time-outs in milliseconds; kInfinite waits without limit, 0 only tests.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

enum class WaitResult {
    First,     // the first (or only) event was signalled
    Second,    // the second event was signalled
    TimedOut,
};

// Thread contract: every member may be called from any thread at any time while the object
// lives; waits block the caller, Set and Reset never block for longer than a short lock.
// An auto-reset event released by a wait is reset by that wait, so one Set releases one waiter.
class Event {
public:
    enum class Mode { ManualReset, AutoReset };

    explicit Event(Mode mode, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // First when signalled within the time-out, else TimedOut.
    WaitResult Wait(std::uint32_t timeoutMs);

    // Waits until `first` or `second` is signalled; when both are, `first` wins (as the lower
    // index does in WaitForMultipleObjects). Only the event reported is reset, if auto-reset.
    static WaitResult WaitForAny(Event& first, Event& second, std::uint32_t timeoutMs);

private:
    struct Waiter;

    bool TryConsume();
    void Attach(Waiter* waiter);
    void Detach(Waiter* waiter);
    static WaitResult WaitForSet(Event* const* events, int count, std::uint32_t timeoutMs);

    const Mode mode_;
    mutable std::mutex mutex_;
    bool signalled_;
    std::vector<Waiter*> waiters_;
};

}  // namespace pellmar::platform
