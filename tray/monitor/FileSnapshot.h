// The snapshot engine's memory of every watched file (size and last write time) and the records
// it hands to the main thread. A plain container: the notifier does the locking and the posting.
// The last access time is deliberately absent: a file that is only read has not changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellmar {

struct SnapshotEntry {
    std::string path;
    std::uint64_t size = 0;  // whole 64-bit size: a file growing by 4 GiB is a change
    std::int64_t modifiedNanoseconds = 0;
};

// One change, with the new values and the ones remembered before (zero for an added file; for a
// deleted file only the path and the old values are set).
struct ChangeMessage {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t oldSize = 0;
    std::int64_t oldModifiedNanoseconds = 0;
};

enum class SnapshotChange { None, Added, Modified };

// Thread contract: none of its own; one thread at a time (the notifier's snapshot lock).
class FileSnapshot {
public:
    // Records the file as listed now; on Added or Modified fills *message.
    SnapshotChange Compare(const std::string& path, std::uint64_t size, std::int64_t modifiedNanoseconds,
                           ChangeMessage* message);
    // Removes every entry `gone` says no longer exists and returns their messages.
    std::vector<ChangeMessage> RemoveIf(const std::function<bool(const SnapshotEntry&)>& gone);
    bool Contains(const std::string& path) const;
    std::size_t Size() const { return entries_.size(); }
    void Clear() { entries_.clear(); }

    // The key of a path: the MD5 hex text of the path exactly as built (letter case counts).
    static std::string KeyOf(const std::string& path);

private:
    std::unordered_map<std::string, SnapshotEntry> entries_;
};

}  // namespace pellmar
