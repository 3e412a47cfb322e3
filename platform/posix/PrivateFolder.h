// Folders under the user's runtime folder that only the user can enter, for the local sockets of
// the application windows and of the control channel, and what both sockets check alike (address,
// peer). Owns nothing; plain file-system and socket calls.
#pragma once

#include <sys/un.h>

#include "platform/posix/UniqueFd.h"

#include <string>

namespace pellmar::platform {

// "<base>/<name>", where base is $XDG_RUNTIME_DIR (private to the user by the XDG rules) or, when
// that is unset, the user's own cache folder; made 0700 when missing. Empty, with `problem`
// saying why, when there is no such base or the folder is not private.
std::string PrivateRuntimeFolder(const std::string& name, std::string* problem = nullptr);

// The socket address of `path`; false when the path is too long for one.
bool MakeSocketAddress(const std::string& path, sockaddr_un& address);

// A listening stream socket at `address` (a stale endpoint of the same name is removed first);
// invalid, with errno set, when it cannot be made.
UniqueFd ListenAt(const std::string& path, const sockaddr_un& address);

// True when the process at the other end of the connected socket `fd` runs as this user.
bool PeerIsThisUser(int fd);

}  // namespace pellmar::platform
