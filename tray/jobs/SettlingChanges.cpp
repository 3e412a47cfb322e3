// Merging and releasing settling change events. Sequence numbers stand for positions, so the
// index of the latest event of a file survives releases from the front.
#include "tray/jobs/SettlingChanges.h"

namespace pellmar {
namespace {

bool IsCopy(const ChangeEvent& event) {
    return event.jobtype == ChangeCreated || event.jobtype == ChangeModified;
}

}  // namespace

std::string SettlingChanges::KeyOf(const ChangeEvent& event) {
    std::string key = event.src;
    key += '\0';
    key += event.dest;
    return key;
}

void SettlingChanges::Add(std::unique_ptr<ChangeEvent> event, Clock::time_point due) {
    const std::string key = KeyOf(*event);
    if (auto known = latest_.find(key); known != latest_.end() && !waiting_.empty()) {
        const std::uint64_t first = waiting_.front().sequence;
        if (known->second >= first) {
            ChangeEvent& earlier = *waiting_[static_cast<std::size_t>(known->second - first)].event;
            // The earlier copy has not been written yet and will read the file's latest content.
            if (IsCopy(earlier) && IsCopy(*event)) {
                earlier.resync = earlier.resync && event->resync;
                return;
            }
        }
    }
    const std::uint64_t sequence = nextSequence_++;
    latest_[key] = sequence;
    waiting_.push_back(Waiting{std::move(event), due, sequence});
}

std::vector<const ChangeEvent*> SettlingChanges::Due(Clock::time_point now, std::size_t limit) const {
    std::vector<const ChangeEvent*> due;
    for (const Waiting& waiting : waiting_) {
        if (due.size() >= limit || waiting.due > now) break;
        due.push_back(waiting.event.get());
    }
    return due;
}

void SettlingChanges::Release(std::size_t count) {
    for (; count > 0 && !waiting_.empty(); --count) {
        const Waiting& front = waiting_.front();
        const auto known = latest_.find(KeyOf(*front.event));
        if (known != latest_.end() && known->second == front.sequence) latest_.erase(known);
        waiting_.pop_front();
    }
}

}  // namespace pellmar
