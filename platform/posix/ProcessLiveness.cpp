// Process liveness through kill(pid, 0).
#include "platform/ProcessLiveness.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace pellmar::platform {

bool ProcessHasEnded(std::uint64_t processId) {
    const auto pid = static_cast<pid_t>(processId);
    // An id no pid_t can hold was not written by this program; leave its file alone.
    if (pid <= 0 || static_cast<std::uint64_t>(pid) != processId) return false;
    return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace pellmar::platform
