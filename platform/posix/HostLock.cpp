// The host lock on Linux: an exclusive flock on an open descriptor, which the kernel drops when
// the process ends, so a crashed host never leaves a stale lock behind.
#include "platform/HostLock.h"

#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace pellmar::platform {
namespace {

class PosixHostLock final : public HostLock {
public:
    explicit PosixHostLock(UniqueFd fd) : fd_(std::move(fd)) {}

private:
    UniqueFd fd_;
};

}  // namespace

HostLock::Result HostLock::TryAcquire(const std::string& path, std::unique_ptr<HostLock>* lock) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.Valid()) return Result::Unavailable;
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return Result::HeldElsewhere;
        if (errno != EINTR) return Result::Unavailable;
    }
    *lock = std::make_unique<PosixHostLock>(std::move(fd));
    return Result::Acquired;
}

}  // namespace pellmar::platform
