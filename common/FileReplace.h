// Replacing an installed file by a copy of another, atomically: the copy is written beside the
// target under a temporary name and renamed over it, so the target holds either its old or its
// new content, never half of each. Any thread.
#pragma once

#include <string>

namespace pellmar {

// Copies `source` over `target`. Fails, leaving `target` untouched, when the source is missing,
// the target is a folder or a read-only file, or any step of the copy fails. A replaced target
// keeps its permissions (an executable stays executable).
bool ReplaceFileWithCopy(const std::string& source, const std::string& target);

}  // namespace pellmar
