// Change events waiting out their settle time before they are written as jobs, in the order
// they were reported. A copy of a file that arrives while an earlier copy of the same file to
// the same destination still waits is merged into it (a new file's "created" and "closed after
// writing" become one job, one version). Pure bookkeeping: no clock, no thread, no database.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tray/model/ChangeEvent.h"

namespace pellmar {

// Thread contract: one thread (the job queue thread).
class SettlingChanges {
public:
    using Clock = std::chrono::steady_clock;

    // Queues `event` to be due at `due`, or merges it into a waiting copy of the same file; a
    // deletion ends the merging, so a copy after it is kept in its own place.
    void Add(std::unique_ptr<ChangeEvent> event, Clock::time_point due);

    bool Empty() const { return waiting_.empty(); }
    std::size_t Size() const { return waiting_.size(); }
    // The due time of the oldest event; only when not Empty.
    Clock::time_point NextDue() const { return waiting_.front().due; }

    // Up to `limit` events from the front whose due time has come (all of them when `now` is
    // Clock::time_point::max()), still owned here until Release.
    std::vector<const ChangeEvent*> Due(Clock::time_point now, std::size_t limit) const;
    // Forgets the first `count` events (after they were written).
    void Release(std::size_t count);

private:
    struct Waiting {
        std::unique_ptr<ChangeEvent> event;
        Clock::time_point due;
        std::uint64_t sequence = 0;
    };
    static std::string KeyOf(const ChangeEvent& event);

    std::deque<Waiting> waiting_;
    std::uint64_t nextSequence_ = 0;
    // The latest waiting event of each source and destination, by sequence number.
    std::unordered_map<std::string, std::uint64_t> latest_;
};

}  // namespace pellmar
