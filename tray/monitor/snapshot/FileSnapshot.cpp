// The snapshot: folder -> name -> entry, so a scan costs the files listed, a deletion check one
// listing per folder, and each path is kept once as its folder plus its name. Paths are their own
// keys (letter case counts): no digest is needed, so none can be refused.
#include "tray/monitor/snapshot/FileSnapshot.h"

#include "platform/Environment.h"

namespace pellmar {

FileSnapshot::FileSnapshot(std::chrono::milliseconds settle, std::chrono::milliseconds holdLimit)
    : settle_(settle), holdLimit_(holdLimit) {}

std::string FileSnapshot::PathOf(const std::string& folder, const std::string& name) {
    if (!folder.empty() && platform::IsPathDelimiter(folder.back())) return folder + name;
    return folder + platform::PathDelimiter() + name;
}

ChangeMessage FileSnapshot::MessageOf(const std::string& folder, const std::string& name, const Entry& entry) const {
    ChangeMessage message{PathOf(folder, name), entry.seen.size, entry.seen.modifiedNanoseconds, entry.seen.mode};
    if (entry.pending == Pending::Modified) {
        message.oldSize = entry.reported.size;
        message.oldModifiedNanoseconds = entry.reported.modifiedNanoseconds;
        message.oldMode = entry.reported.mode;
    }
    return message;
}

Observation FileSnapshot::Compare(const std::string& folder, const std::string& name, const FileFacts& facts,
                                  Clock::time_point now, bool silent, ChangeMessage* message) {
    Names& names = folders_[folder];
    auto [found, added] = names.try_emplace(name);
    Entry& entry = found->second;
    if (added) {
        ++size_;
        entry.seen = entry.reported = facts;
        if (silent) return {};
        entry.pending = Pending::Added;
        entry.changedAt = entry.firstChangedAt = now;
    } else if (!(entry.seen == facts)) {
        entry.seen = facts;
        entry.changedAt = now;
        if (entry.pending == Pending::None) {
            entry.pending = Pending::Modified;
            entry.firstChangedAt = now;
        }
    }
    if (entry.pending == Pending::None) return {};
    if (now - entry.changedAt < settle_ && now - entry.firstChangedAt < holdLimit_) return {SnapshotChange::None, true};
    *message = MessageOf(folder, name, entry);
    const SnapshotChange change = entry.pending == Pending::Added ? SnapshotChange::Added : SnapshotChange::Modified;
    entry.pending = Pending::None;
    entry.reported = entry.seen;
    return {change, false};
}

std::vector<ChangeMessage> FileSnapshot::TakeSettling(std::vector<SnapshotChange>* kinds) {
    std::vector<ChangeMessage> messages;
    for (auto& [folder, names] : folders_)
        for (auto& [name, entry] : names) {
            if (entry.pending == Pending::None) continue;
            messages.push_back(MessageOf(folder, name, entry));
            kinds->push_back(entry.pending == Pending::Added ? SnapshotChange::Added : SnapshotChange::Modified);
            entry.pending = Pending::None;
            entry.reported = entry.seen;
        }
    return messages;
}

std::vector<std::string> FileSnapshot::Folders() const {
    std::vector<std::string> folders;
    folders.reserve(folders_.size());
    for (const auto& [folder, names] : folders_) folders.push_back(folder);
    return folders;
}

std::vector<std::string> FileSnapshot::NamesIn(const std::string& folder) const {
    std::vector<std::string> result;
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return result;
    result.reserve(found->second.size());
    for (const auto& [name, entry] : found->second) result.push_back(name);
    return result;
}

bool FileSnapshot::Forget(const std::string& folder, const std::string& name, ChangeMessage* message) {
    const auto names = folders_.find(folder);
    if (names == folders_.end()) return false;
    const auto found = names->second.find(name);
    if (found == names->second.end()) return false;
    const Entry& entry = found->second;
    const bool report = entry.pending != Pending::Added;
    *message = ChangeMessage{PathOf(folder, name), 0, 0, 0, entry.reported.size, entry.reported.modifiedNanoseconds,
                             entry.reported.mode};
    names->second.erase(found);
    --size_;
    if (names->second.empty()) folders_.erase(names);
    return report;
}

bool FileSnapshot::Contains(const std::string& path) const {
    std::size_t cut = path.size();
    while (cut > 0 && !platform::IsPathDelimiter(path[cut - 1])) --cut;
    if (cut == 0) return false;
    const std::string name = path.substr(cut);
    // The folder as the watchers name it: without the delimiter, except for a root like "/".
    for (const std::string& folder : {path.substr(0, cut - 1), path.substr(0, cut)}) {
        const auto names = folders_.find(folder);
        if (names != folders_.end() && names->second.contains(name)) return true;
    }
    return false;
}

void FileSnapshot::Clear() {
    folders_.clear();
    size_ = 0;
}

}  // namespace pellmar
