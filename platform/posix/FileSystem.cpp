// POSIX file-system steps.
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/posix/UniqueFd.h"

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

bool FolderWritable(const std::string& path) {
    return FolderExists(path) && access(path.c_str(), W_OK | X_OK) == 0;
}

bool RemoveEmptyFolder(const std::string& path) { return !path.empty() && rmdir(path.c_str()) == 0; }

bool RemoveFile(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

namespace {

// Asked relative to the open folder: a walk of the whole path for each of thousands of entries
// was most of the cost of listing a large folder.
FolderEntry EntryOf(int folder, const char* name) {
    FolderEntry entry;
    entry.name = name;
    struct stat info {};
    if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return entry;
    if (S_ISDIR(info.st_mode)) {
        entry.folder = true;
        return entry;
    }
    if (S_ISLNK(info.st_mode) && fstatat(folder, name, &info, 0) != 0) return entry;
    entry.file = S_ISREG(info.st_mode);
    entry.size = static_cast<std::uint64_t>(info.st_size);
    entry.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    entry.mode = static_cast<std::uint32_t>(info.st_mode & 07777);
    return entry;
}

// Without facts a regular file or a folder is told by the listing's own type; links and file
// systems that leave the type unknown cost a stat as with facts.
FolderEntry TypeOf(int folder, const dirent& found) {
    if (found.d_type == DT_DIR || found.d_type == DT_REG) {
        FolderEntry entry;
        entry.name = found.d_name;
        entry.folder = found.d_type == DT_DIR;
        entry.file = found.d_type == DT_REG;
        return entry;
    }
    return EntryOf(folder, found.d_name);
}

}  // namespace

std::optional<std::vector<FolderEntry>> TryListFolder(const std::string& path, bool facts) {
    DIR* folder = path.empty() ? nullptr : opendir(path.c_str());
    if (!folder) return std::nullopt;
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            entries.push_back(facts ? EntryOf(dirfd(folder), entry->d_name) : TypeOf(dirfd(folder), *entry));
        errno = 0;
    }
    const bool complete = errno == 0;  // readdir ends with errno untouched; an I/O error sets it
    closedir(folder);
    if (!complete) return std::nullopt;
    return entries;
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::optional<std::vector<FolderEntry>> entries = TryListFolder(path);
    return entries ? std::move(*entries) : std::vector<FolderEntry>();
}

PathState ProbePath(const std::string& path) {
    struct stat info {};
    if (path.empty()) return PathState::Missing;
    if (stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode) ? PathState::File : PathState::NotAFile;
    return errno == ENOENT || errno == ENOTDIR ? PathState::Missing : PathState::Unknown;
}

std::optional<FolderIdentity> IdentifyFolderOnly(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return FolderIdentity{{}, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The mount point is the highest ancestor still on the folder's device: one stat per level.
std::optional<FolderIdentity> IdentifyFolder(const std::string& path) {
    if (path.empty()) return std::nullopt;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string real(resolved);
    std::free(resolved);
    struct stat info {};
    if (stat(real.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    FolderIdentity identity{real, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    while (identity.mountPoint != "/") {
        const std::size_t slash = identity.mountPoint.rfind('/');
        const std::string parent = slash == 0 ? std::string("/") : identity.mountPoint.substr(0, slash);
        struct stat above {};
        if (stat(parent.c_str(), &above) != 0 || above.st_dev != info.st_dev) break;
        identity.mountPoint = parent;
    }
    return identity;
}

bool AppendTextDurably(const std::string& path, const std::string& text) {
    UniqueFd file(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (!file.Valid()) return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = write(file.Get(), text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        written += static_cast<std::size_t>(count);
    }
    return fsync(file.Get()) == 0;
}

namespace {

// The file's first `limit` bytes (all of it when shorter); empty when it cannot be read.
std::string ReadUpTo(const std::string& path, std::size_t limit) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    if (!file.Valid()) return text;
    char buffer[4096];
    while (text.size() < limit) {
        const ssize_t count = read(file.Get(), buffer, std::min(sizeof buffer, limit - text.size()));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

}  // namespace

std::string ReadTextFile(const std::string& path) { return ReadUpTo(path, std::string::npos); }

std::string ReadFileStart(const std::string& path, std::size_t limit) { return ReadUpTo(path, limit); }

}  // namespace pellmar::platform
