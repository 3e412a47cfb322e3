// Single file-system facts and steps on one path. No recursion, no policy: callers decide.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellmar::platform {

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);  // a regular file (not a folder)

// Creates one folder level; true on success or when it already exists as a folder.
bool CreateFolder(const std::string& path);

// Whether this user may create and replace files in the existing folder `path` (ends in a
// delimiter or not). POSIX asks the permissions and the mount; Windows, whose rights are ACLs,
// tries a file that goes again when closed.
bool FolderWritable(const std::string& path);

// Removes an empty folder; false when it is not empty or cannot be removed.
bool RemoveEmptyFolder(const std::string& path);

// Removes a file; false when it cannot (a missing file is a failure, as on Windows).
bool RemoveFile(const std::string& path);

// One entry of a folder listing. A link to a folder is not a folder (a walk never follows one);
// for anything else the facts are those of what it names.
struct FolderEntry {
    std::string name;
    bool folder = false;
    bool file = false;  // a regular file (through a link too)
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;  // since 1970, UTC
    // Permission bits: POSIX st_mode & 07777; Windows 0444 for a read-only file, else 0666.
    std::uint32_t mode = 0;
};

// The entries of `path` without "." and ".."; empty when it cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& path);

// As ListFolder, but says whether the folder could be read: nothing when it cannot be (missing,
// refused, an I/O error), so an unreadable folder is never taken for an empty one. Without
// `facts` only name, folder and file are filled, from the listing itself where the OS says them.
std::optional<std::vector<FolderEntry>> TryListFolder(const std::string& path, bool facts = true);

// What stands at a path now. Missing only when the OS says there is nothing (not when it refuses
// to say): a deletion is never concluded from a share that does not answer.
enum class PathState { File, NotAFile, Missing, Unknown };
PathState ProbePath(const std::string& path);

// What tells a folder apart from another one that later stands at the same path: the mount point
// of the file system holding it, and its own identity on that file system. A drive that is
// unmounted leaves an empty folder of another file system at its mount point; a drive mounted
// again comes back at the same mount point, often with another device number.
struct FolderIdentity {
    std::string mountPoint;  // the folder its file system is mounted on, as a real path
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// The identity of the folder at `path` (links followed); nothing when it is not a folder now.
std::optional<FolderIdentity> IdentifyFolder(const std::string& path);
// The same without the mount point (left empty), from one query of the folder: enough to see
// that a folder identified before is still the one standing there.
std::optional<FolderIdentity> IdentifyFolderOnly(const std::string& path);

// Appends `text` to the file (created when missing) and returns once it is on stable storage.
bool AppendTextDurably(const std::string& path, const std::string& text);

// The whole content of a small text file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);

// At most the first `limit` bytes of a file of any size; empty when it cannot be read.
std::string ReadFileStart(const std::string& path, std::size_t limit);

}  // namespace pellmar::platform
