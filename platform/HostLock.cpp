// Where a data folder's host lock lives: beside the database, inside the data folder.
#include "platform/HostLock.h"

#include "platform/Environment.h"

#include <thread>

namespace pellmar::platform {

std::string HostLockPath(const std::string& dataPath) {
    std::string path = dataPath;
    if (path.empty() || !IsPathDelimiter(path.back())) path += PathDelimiter();
    return path + "db" + PathDelimiter() + "host.lock";
}

HostLock::Result HostLock::Acquire(const std::string& path, std::unique_ptr<HostLock>* lock,
                                  std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const Result result = TryAcquire(path, lock);
        if (result != Result::HeldElsewhere || std::chrono::steady_clock::now() >= deadline) return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace pellmar::platform
