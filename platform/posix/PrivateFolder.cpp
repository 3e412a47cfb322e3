// The private runtime folders: ownership and mode checks that keep other users from making,
// entering or swapping the folders that hold this user's local sockets.
#include "platform/posix/PrivateFolder.h"

#include "platform/Environment.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmar::platform {
namespace {

// A folder only this user can enter: created 0700 when missing, refused when it is a symlink, is
// owned by someone else or lets others in (a shared /tmp is open to squatting).
bool EnsurePrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// The user's own folder that other users cannot write to (group members may, where each user has
// a group of their own): nobody else can have made it or can swap what is inside.
bool IsOwnFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 002) == 0;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache), made 0700 when missing; empty when
// neither variable names one or it is not the user's own.
std::string CacheFolder() {
    std::string folder = GetEnvironmentText("XDG_CACHE_HOME");
    if (!IsAbsolute(folder)) {
        std::string home = GetEnvironmentText("HOME");
        if (!IsAbsolute(home)) return {};
        folder = home + "/.cache";
    }
    mkdir(folder.c_str(), 0700);
    return IsOwnFolder(folder) ? folder : std::string();
}

}  // namespace

std::string PrivateRuntimeFolder(const std::string& name, std::string* problem) {
    std::string base = GetEnvironmentText("XDG_RUNTIME_DIR");
    if (!IsAbsolute(base)) base = CacheFolder();
    std::string folder = base + "/" + name;
    if (!base.empty() && EnsurePrivateFolder(folder)) return folder;
    if (problem) {
        *problem = base.empty() ? "XDG_RUNTIME_DIR is not set and there is no cache folder of this user's own"
                                : folder + " is not a folder that only this user can enter";
    }
    return {};
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

UniqueFd ListenAt(const std::string& path, const sockaddr_un& address) {
    UniqueFd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.Valid()) return listener;
    unlink(path.c_str());
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener.Get(), 16) != 0) {
        return UniqueFd();
    }
    return listener;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

}  // namespace pellmar::platform
