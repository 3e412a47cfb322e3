// Lets one folder of a test behave like a FAT, exFAT or SMB mount on Linux: creating a folder or
// renaming a file to a name holding one of :?*"<>|\ fails with EINVAL there, as those file
// systems do. Works by interposing rename and mkdir in the test program; other paths pass through.
#pragma once

#include <string>

namespace pellmar::test {

// While alive, names below `folder` that such a file system cannot store are refused.
class RefusingFileSystem {
public:
    explicit RefusingFileSystem(const std::string& folder);
    ~RefusingFileSystem();
    RefusingFileSystem(const RefusingFileSystem&) = delete;
    RefusingFileSystem& operator=(const RefusingFileSystem&) = delete;
};

}  // namespace pellmar::test
