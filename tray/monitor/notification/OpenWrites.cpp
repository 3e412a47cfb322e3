// Due times of files written without a close: the earlier of "quiet long enough" and "written
// for too long since the last backup".
#include "tray/monitor/notification/OpenWrites.h"

#include <algorithm>

namespace pellmar {

void OpenWrites::Written(const std::string& name, Clock::time_point now) {
    const auto [entry, fresh] = writing_.try_emplace(name, Writing{now, now});
    if (!fresh) entry->second.last = now;
}

OpenWrites::Clock::time_point OpenWrites::DueOf(const Writing& writing) const {
    return std::min(writing.last + quiet_, writing.since + longest_);
}

std::vector<std::string> OpenWrites::TakeDue(Clock::time_point now) {
    std::vector<std::string> due;
    for (auto entry = writing_.begin(); entry != writing_.end();) {
        if (DueOf(entry->second) > now) {
            ++entry;
            continue;
        }
        due.push_back(entry->first);
        if (entry->second.last + quiet_ <= now) {
            entry = writing_.erase(entry);
        } else {
            entry->second.since = now;
            ++entry;
        }
    }
    return due;
}

std::vector<std::string> OpenWrites::TakeAll() {
    std::vector<std::string> all;
    all.reserve(writing_.size());
    for (const auto& [name, writing] : writing_) all.push_back(name);
    writing_.clear();
    return all;
}

std::optional<OpenWrites::Clock::time_point> OpenWrites::NextDue() const {
    std::optional<Clock::time_point> next;
    for (const auto& [name, writing] : writing_) {
        const Clock::time_point due = DueOf(writing);
        if (!next || due < *next) next = due;
    }
    return next;
}

}  // namespace pellmar
