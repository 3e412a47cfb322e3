// The host lock on Windows: the lock file opened without sharing, which the system closes when
// the process ends.
#include "platform/HostLock.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

class Win32HostLock final : public HostLock {
public:
    explicit Win32HostLock(HANDLE file) : file_(file) {}
    ~Win32HostLock() override { CloseHandle(file_); }

private:
    HANDLE file_;
};

}  // namespace

HostLock::Result HostLock::TryAcquire(const std::string& path, std::unique_ptr<HostLock>* lock) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION ? Result::HeldElsewhere : Result::Unavailable;
    }
    *lock = std::make_unique<Win32HostLock>(file);
    return Result::Acquired;
}

}  // namespace pellmar::platform
