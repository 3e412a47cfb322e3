// Replacing an installed file by a copy of another, atomically and durably: the copy is written
// beside the target under a temporary name, flushed to stable storage and renamed over it, so the
// target holds either its old or its new content, never half of each, also after a power cut.
// Any thread.
#pragma once

#include <string>

namespace pellmar {

// Copies `source` over `target`. Fails, leaving `target` untouched, when the source is missing,
// the target is a folder or a read-only file, or any step of the copy fails. A replaced target
// keeps its permissions (an executable stays executable), which are first given to `source` (a
// staged download of the caller's own); a new target takes the source's permissions.
bool ReplaceFileWithCopy(const std::string& source, const std::string& target);

}  // namespace pellmar
