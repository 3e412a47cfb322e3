// tmpfs mounted and unmounted with the system calls themselves.
#include "tests/support/ScratchMount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace pellmar::test {

bool MountScratchFileSystem(const std::string& path, std::string* why) {
    if (mount("pellmar-test", path.c_str(), "tmpfs", 0, "size=8m,mode=0755") == 0) return true;
    *why = std::string("mounting a tmpfs is refused: ") + std::strerror(errno);
    return false;
}

bool MakeScratchFileSystemReadOnly(const std::string& path, std::string* why) {
    if (mount("pellmar-test", path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0) return true;
    *why = std::string("mounting the tmpfs read-only is refused: ") + std::strerror(errno);
    return false;
}

bool UnmountScratchFileSystem(const std::string& path) {
    if (umount2(path.c_str(), 0) == 0) return true;
    return errno == EBUSY && umount2(path.c_str(), MNT_DETACH) == 0;
}

}  // namespace pellmar::test
