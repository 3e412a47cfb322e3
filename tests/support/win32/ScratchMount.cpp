// No file system can be mounted on a folder by a test program here.
#include "tests/support/ScratchMount.h"

namespace pellmar::test {

bool MountScratchFileSystem(const std::string&, std::string* why) {
    *why = "no file system can be mounted on a folder by the test program on Windows";
    return false;
}

bool MakeScratchFileSystemReadOnly(const std::string&, std::string* why) {
    *why = "no file system can be mounted on a folder by the test program on Windows";
    return false;
}

bool UnmountScratchFileSystem(const std::string&) { return false; }

}  // namespace pellmar::test
