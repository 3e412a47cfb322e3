// The snapshot engine's memory of every watched file (size, last write time, permission bits),
// folder by folder, and whether a change it saw is still settling: a file is handed on only once
// its facts have stayed the same for the settle time, so a slow save gives one change, not one
// per write. A plain container: the notifier does the locking, the timing and the posting.
// The last access time is deliberately absent: a file that is only read has not changed.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellmar {

struct FileFacts {
    std::uint64_t size = 0;  // whole 64-bit size: a file growing by 4 GiB is a change
    std::int64_t modifiedNanoseconds = 0;
    std::uint32_t mode = 0;  // a permission change is a change: the copy carries the mode
    bool operator==(const FileFacts&) const = default;
};

enum class SnapshotChange { None, Added, Modified };

// One change, with the new values and the ones remembered before (zero for an added file; for a
// deleted file only the path and the old values are set).
struct ChangeMessage {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint32_t mode = 0;
    std::uint64_t oldSize = 0;
    std::int64_t oldModifiedNanoseconds = 0;
    std::uint32_t oldMode = 0;
};

// What one comparison found: `change` is None while the file is unchanged or still settling.
struct Observation {
    SnapshotChange change = SnapshotChange::None;
    bool settling = false;  // a change of this file waits for its settle time: look again
};

// Thread contract: none of its own; one thread at a time (the notifier's snapshot lock).
class FileSnapshot {
public:
    using Clock = std::chrono::steady_clock;

    // `settle`: how long facts must stay the same before a change is handed on; `holdLimit`: a
    // file changing all the time (a log) is handed on anyway once it has been settling this long.
    explicit FileSnapshot(std::chrono::milliseconds settle = std::chrono::milliseconds(0),
                          std::chrono::milliseconds holdLimit = std::chrono::minutes(1));

    // Records the file `name` in `folder` as listed `now`. `silent`: what the first scans of a
    // start find is recorded as it is, never handed on. On Added or Modified fills *message.
    Observation Compare(const std::string& folder, const std::string& name, const FileFacts& facts,
                        Clock::time_point now, bool silent, ChangeMessage* message);
    // Every change still settling, handed on now (at Stop): their kinds in `kinds`, in step.
    std::vector<ChangeMessage> TakeSettling(std::vector<SnapshotChange>* kinds);

    // For the deletion check: the folders holding remembered files, and the names in one of them.
    std::vector<std::string> Folders() const;
    std::vector<std::string> NamesIn(const std::string& folder) const;
    // Forgets a file found gone. True, with *message filled, when its deletion is to be reported:
    // not for a file whose creation was never handed on.
    bool Forget(const std::string& folder, const std::string& name, ChangeMessage* message);

    bool Contains(const std::string& path) const;
    std::size_t Size() const { return size_; }
    void Clear();

    // `folder` joined with `name` by the platform's delimiter, as the watchers build paths.
    static std::string PathOf(const std::string& folder, const std::string& name);

private:
    enum class Pending { None, Added, Modified };
    struct Entry {
        FileFacts seen;      // as last listed
        FileFacts reported;  // as last handed on (or recorded silently)
        Pending pending = Pending::None;
        Clock::time_point changedAt;       // when `seen` last changed
        Clock::time_point firstChangedAt;  // when the change now settling began
    };
    using Names = std::unordered_map<std::string, Entry>;

    ChangeMessage MessageOf(const std::string& folder, const std::string& name, const Entry& entry) const;

    std::chrono::milliseconds settle_;
    std::chrono::milliseconds holdLimit_;
    std::unordered_map<std::string, Names> folders_;
    std::size_t size_ = 0;
};

}  // namespace pellmar
