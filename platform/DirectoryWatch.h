// Detailed change records of one folder (and optionally its whole tree) from the OS: the part the
// directory-change request with its completion port played. Owns the OS handles and the set of
// watched folders; knows nothing of masks, threads or the main thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellmar::platform {

// The action codes of the records, numbered as the Windows notification records number them.
enum FileAction : std::uint32_t {
    FileActionNone = 0,  // with an empty name: the OS lost changes (its queue overflowed)
    FileActionAdded = 1,
    FileActionRemoved = 2,
    FileActionModified = 3,
    FileActionRenamedOld = 4,
    FileActionRenamedNew = 5,
    // With an empty name: a folder of the tree could not be watched (the system's watch limit);
    // its changes go unheard until something walks it.
    FileActionWatchesIncomplete = 6,
    // Data was written to a file that is still open (or changed without any open, as a truncate
    // does): a "modified" record follows only if and when it is closed.
    FileActionWritten = 7,
    // A folder came into the tree (created, or moved in from outside or from elsewhere inside).
    FileActionFolderAdded = 8,
    // A folder left the tree: removed, moved out, or moved away from this name inside it.
    FileActionFolderRemoved = 9,
};

// One record: the action and the name relative to the watched folder (sub-folder parts joined
// with the platform delimiter). Folders come with the folder actions only, and only from watches
// that can tell them (inotify); the Windows watch reports files alone.
struct DirectoryChange {
    std::uint32_t action = FileActionNone;
    std::string name;
};

enum class WatchFailure {
    None,
    FolderMissing,      // the folder cannot be opened
    NoHandles,          // the OS handles of the watch cannot be made
    WatchesIncomplete,  // not even the folder itself could be watched (e.g. a watch limit)
    Partial,            // a watch that runs, but some folders below the root could not be watched
};

enum class WaitOutcome { Changes, Woken, Broken, TimedOut };

// Thread contract: Open and destruction on the owner's thread; Wait on one thread at a time
// (the owner's worker); Wake from any thread. The owner ends every Wait before destroying it.
class DirectoryWatch {
public:
    virtual ~DirectoryWatch() = default;

    // Starts watching `path` (with every folder below it when `subtree`). On failure returns
    // nullptr, sets *failure and leaves no watch behind. A watch that could not take every folder
    // below the root is still returned, with *failure set to Partial.
    static std::unique_ptr<DirectoryWatch> Open(const std::string& path, bool subtree, WatchFailure* failure);

    // Blocks until the OS reports changes (appended to *changes, possibly none when the OS only
    // reported bookkeeping), until Wake is called (Woken, from then on at once), until the watch
    // breaks (Broken), or until `deadline` has passed with nothing else (TimedOut). Without a
    // deadline it waits as long as it takes.
    virtual WaitOutcome Wait(std::vector<DirectoryChange>* changes,
                             std::optional<std::chrono::steady_clock::time_point> deadline) = 0;

    virtual void Wake() = 0;

    // Takes, without waiting, every change the OS holds for this watch at this moment (appended
    // in order): what a stopping owner must still pass on. Only once no Wait runs any more.
    virtual void ReadPending(std::vector<DirectoryChange>* changes) = 0;
};

// What the user can do when not every folder can be watched: the system setting that limits
// watches, its current value and how to raise it. Any thread.
std::string WatchLimitAdvice();

// Test seam: the next read of any watch reports its changes as lost, as when the OS queue
// overflows (a record without action and name), instead of the changes themselves. Any thread.
void SimulateLostChangesForTesting();

}  // namespace pellmar::platform
