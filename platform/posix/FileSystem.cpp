// POSIX file-system steps.
#include "platform/FileSystem.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmar::platform {

bool FolderExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && FolderExists(path);
}

bool RemoveEmptyFolder(const std::string& path) { return !path.empty() && rmdir(path.c_str()) == 0; }

bool RemoveFile(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

}  // namespace pellmar::platform
