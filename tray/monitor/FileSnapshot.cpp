// The snapshot: a hash map by path key, so a scan costs the files listed, not listed x remembered.
#include "tray/monitor/FileSnapshot.h"

#include "tray/util/Checksums.h"

namespace pellmar {

std::string FileSnapshot::KeyOf(const std::string& path) { return Md5HexText(Md5Digest(path)); }

SnapshotChange FileSnapshot::Compare(const std::string& path, std::uint64_t size, std::int64_t modifiedNanoseconds,
                                     ChangeMessage* message) {
    auto [found, added] = entries_.try_emplace(KeyOf(path), SnapshotEntry{path, size, modifiedNanoseconds});
    SnapshotEntry& entry = found->second;
    if (!added && entry.size == size && entry.modifiedNanoseconds == modifiedNanoseconds) return SnapshotChange::None;
    *message = ChangeMessage{path, size, modifiedNanoseconds, 0, 0};
    if (added) return SnapshotChange::Added;
    message->oldSize = entry.size;
    message->oldModifiedNanoseconds = entry.modifiedNanoseconds;
    entry.size = size;
    entry.modifiedNanoseconds = modifiedNanoseconds;
    return SnapshotChange::Modified;
}

std::vector<ChangeMessage> FileSnapshot::RemoveIf(const std::function<bool(const SnapshotEntry&)>& gone) {
    std::vector<ChangeMessage> removed;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (!gone(it->second)) {
            ++it;
            continue;
        }
        removed.push_back(ChangeMessage{it->second.path, 0, 0, it->second.size, it->second.modifiedNanoseconds});
        it = entries_.erase(it);
    }
    return removed;
}

bool FileSnapshot::Contains(const std::string& path) const { return entries_.contains(KeyOf(path)); }

}  // namespace pellmar
