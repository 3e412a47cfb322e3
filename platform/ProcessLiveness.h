// Whether a process of this machine has ended: what decides that a temporary a copy left behind
// belongs to nobody any more. Any thread.
#pragma once

#include <cstdint>

namespace pellmar::platform {

// True only when no process with this id runs; false for this process, for one that runs, and
// for one this process may not probe (another user's), which still owns what it made.
bool ProcessHasEnded(std::uint64_t processId);

}  // namespace pellmar::platform
