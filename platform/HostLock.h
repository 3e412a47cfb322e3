// The one-replication-host-per-data-folder lock: held by the tray program or pellmard for as
// long as it runs, so that two hosts never queue every change twice. Released by the OS when the
// holder ends, however it ends. Owns the lock file's handle, not the file.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace pellmar::platform {

class HostLock {
public:
    enum class Result {
        Acquired,       // this process is the host
        HeldElsewhere,  // another process holds it
        Unavailable,    // the lock file cannot be made (unwritable folder): run unguarded
    };

    virtual ~HostLock() = default;

    // Takes the lock on the file at `path` (created when missing) without waiting. Any thread.
    static Result TryAcquire(const std::string& path, std::unique_ptr<HostLock>* lock);

    // As TryAcquire, but a lock held elsewhere is asked for again until `patience` has passed: a
    // pellmarctl that found no host holds it for the moment it works on the data folder itself,
    // and a host starting in that moment must not give up. Blocks.
    static Result Acquire(const std::string& path, std::unique_ptr<HostLock>* lock,
                          std::chrono::milliseconds patience);
};

// How long a starting host waits for a lock that a pellmarctl may be holding for a moment.
inline constexpr std::chrono::seconds kHostLockPatience{3};

// The lock file of a data folder (as DataLocations gives it, with or without trailing delimiter).
std::string HostLockPath(const std::string& dataPath);

}  // namespace pellmar::platform
