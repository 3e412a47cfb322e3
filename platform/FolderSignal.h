// Per-folder change signals: "something changed in this folder (or below it)", without saying
// what. Owns the OS handles behind the signals and the thread that reads them; knows nothing of
// snapshots, masks or the main thread. Also says which file systems hide changes made elsewhere.
#pragma once

#include <memory>
#include <string>

#include "platform/Event.h"

namespace pellmar::platform {

enum class SignalKind {
    Watched,  // changes set the event
    Blind,    // the file system does not report changes made by other machines: rescan on a timer
    Failed,   // the folder cannot be watched at all (missing, no handles left)
};

// Thread contract: Open and destruction on the owner's thread; Add from any thread. Events are
// set from the set's own reader thread, which ends before destruction returns.
class FolderSignalSet {
public:
    virtual ~FolderSignalSet() = default;

    // nullptr when the OS handles cannot be made.
    static std::unique_ptr<FolderSignalSet> Open();

    // From now on sets `changed` whenever something changes in `path` (in every folder below it
    // too when `subtree`, folders created later included). A Blind folder is still watched for
    // what this machine changes; the caller adds a timer for the rest.
    virtual SignalKind Add(const std::string& path, bool subtree, std::shared_ptr<Event> changed) = 0;
};

// True when the file system holding `path` does not report changes made elsewhere (network and
// user-space file systems). False when it cannot be told.
bool IsChangeBlindFileSystem(const std::string& path);

}  // namespace pellmar::platform
