// Per-folder change signals: "something changed in this folder (or below it)", without saying
// what. Owns the OS handles behind the signals and the thread that reads them; knows nothing of
// snapshots, masks or the main thread. Also says which file systems hide changes made elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Event.h"

namespace pellmar::platform {

enum class SignalKind {
    Watched,  // changes set the event
    Blind,    // the file system does not report changes made by other machines: rescan on a timer
    Partial,  // watched, but some folders below it could not be (no watches left): rescan on a timer
    Failed,   // the folder cannot be watched at all (missing, no handles left)
};

// Names one Add, to remove it or ask about it; 0 names nothing.
using SignalId = std::uint64_t;

// Thread contract: Open and destruction on the owner's thread; Add from any thread. Events are
// set from the set's own reader thread, which ends before destruction returns.
class FolderSignalSet {
public:
    virtual ~FolderSignalSet() = default;

    // nullptr when the OS handles cannot be made.
    static std::unique_ptr<FolderSignalSet> Open();

    // From now on sets `changed` whenever something changes in `path` (in every folder below it
    // too when `subtree`, folders created later included). A Blind folder is still watched for
    // what this machine changes; the caller adds a timer for the rest. A folder that leaves the
    // tree (moved away, deleted) stops counting for the subtree of the folder above it.
    // `*id` (when given) names this Add; it is 0 when the result is Failed.
    virtual SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed,
                           SignalId* id = nullptr) = 0;
    // Ends what Add `id` began; the event is not set by it any more. Any thread.
    virtual void Remove(SignalId id) = 0;
    // True once the watch of the folder given to Add `id` itself has ended: the folder was deleted,
    // moved or renamed, or its file system unmounted. Any thread.
    virtual bool Ended(SignalId id) const = 0;
};

// True when the file system holding `path` does not report changes made elsewhere (network and
// user-space file systems). False when it cannot be told.
bool IsChangeBlindFileSystem(const std::string& path);

}  // namespace pellmar::platform
