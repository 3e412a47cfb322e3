// Single file-system facts and steps on one path. No recursion, no policy: callers decide.
// Any thread.
#pragma once

#include <string>

namespace pellmar::platform {

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);  // a regular file (not a folder)

// Creates one folder level; true on success or when it already exists as a folder.
bool CreateFolder(const std::string& path);

// Removes an empty folder; false when it is not empty or cannot be removed.
bool RemoveEmptyFolder(const std::string& path);

// Removes a file; false when it cannot (a missing file is a failure, as on Windows).
bool RemoveFile(const std::string& path);

}  // namespace pellmar::platform
