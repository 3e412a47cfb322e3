// A new folder of the system's temporary area that only this user can enter (mkdtemp under
// $TMPDIR or /tmp on Linux; a fresh folder under the user's own GetTempPathW on Windows), for a
// program's transient files, which must never land in a folder the user keeps files in. Any thread.
#pragma once

#include <string>

namespace pellmar::platform {

// The new folder's path (no trailing delimiter), its name starting with `prefix`; empty when none
// can be made. The caller removes it.
std::string MakePrivateTemporaryFolder(const std::string& prefix);

}  // namespace pellmar::platform
