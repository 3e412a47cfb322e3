// Files written to without being closed: a log that a program keeps open and appends to, a
// truncate, a writer that never closes. The OS says "written" for these but no "closed after
// writing", so without this their backups would keep what the file held when it was opened.
// Pure bookkeeping over the times it is handed: no clock, no thread.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellmar {

// Thread contract: one thread (the main thread of the monitor that owns it).
class OpenWrites {
public:
    using Clock = std::chrono::steady_clock;

    // A file counts as done once nothing was written to it for `quiet`; one that keeps being
    // written is backed up again after `longest` of writing.
    OpenWrites(Clock::duration quiet, Clock::duration longest) : quiet_(quiet), longest_(longest) {}

    void Written(const std::string& name, Clock::time_point now);
    // Closed, removed or renamed: the record that says so backs the file up (or away) itself.
    void Settled(const std::string& name) { writing_.erase(name); }

    // The files whose backup is due at `now`. A quiet one is forgotten; a busy one is due
    // again `longest` from now.
    std::vector<std::string> TakeDue(Clock::time_point now);
    // Every file still being written, forgotten: what a stopping monitor must pass on.
    std::vector<std::string> TakeAll();
    // When the next file falls due; nothing when no file is being written.
    std::optional<Clock::time_point> NextDue() const;

private:
    struct Writing {
        Clock::time_point since;  // first write since its last backup
        Clock::time_point last;
    };
    Clock::time_point DueOf(const Writing& writing) const;

    Clock::duration quiet_;
    Clock::duration longest_;
    std::unordered_map<std::string, Writing> writing_;
};

}  // namespace pellmar
