// A file system of its own mounted on a test's folder, to unmount under a running engine as a
// drive or share going away would. Linux: a small tmpfs (needs the right to mount); Windows: none.
#pragma once

#include <string>

namespace pellmar::test {

// Mounts an empty file system on the folder `path`; false, with the reason in *why, when the OS refuses.
bool MountScratchFileSystem(const std::string& path, std::string* why);
// Mounts it again read-only: no one may write there then, root included.
bool MakeScratchFileSystemReadOnly(const std::string& path, std::string* why);
// Unmounts it again (lazily when busy); the folder is left behind, empty.
bool UnmountScratchFileSystem(const std::string& path);

}  // namespace pellmar::test
