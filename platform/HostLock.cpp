// Where a data folder's host lock lives: beside the database, inside the data folder.
#include "platform/HostLock.h"

#include "platform/Environment.h"

namespace pellmar::platform {

std::string HostLockPath(const std::string& dataPath) {
    std::string path = dataPath;
    if (path.empty() || !IsPathDelimiter(path.back())) path += PathDelimiter();
    return path + "db" + PathDelimiter() + "host.lock";
}

}  // namespace pellmar::platform
