// Windows file-system steps through the wide-character API.
#include "platform/FileSystem.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(win32::Widen(path).c_str());
}

}  // namespace

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    if (CreateDirectoryW(win32::Widen(path).c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && FolderExists(path);
}

bool RemoveEmptyFolder(const std::string& path) {
    return !path.empty() && RemoveDirectoryW(win32::Widen(path).c_str()) != FALSE;
}

bool RemoveFile(const std::string& path) { return !path.empty() && DeleteFileW(win32::Widen(path).c_str()) != FALSE; }

}  // namespace pellmar::platform
