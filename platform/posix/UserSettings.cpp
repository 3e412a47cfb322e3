// The per-user settings store on Linux: $XDG_CONFIG_HOME/Quenmarsh/Pellmar.conf, one "Name=Value"
// per line. Lines it does not understand are kept as they are when the file is rewritten, and a
// rewrite goes through a temporary file so a crash never leaves a truncated settings file.
// A symlinked file stays a symlink: the rewrite replaces the file it points to.
#include "platform/UserSettings.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellmar::platform {
namespace {

bool SameNameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file it ends in, which may not exist yet (a dangling
// link is written through, creating its target). False on a loop or an unreadable link.
bool ResolveSymlinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0) return errno == ENOENT;
        if (!S_ISLNK(info.st_mode)) return true;
        char buffer[PATH_MAX];
        ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return false;
        std::string link(buffer, static_cast<std::size_t>(length));
        target = link.front() == '/' ? link : FolderOf(target) + "/" + link;
    }
    return false;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The rename reaches the disk only with its folder. File systems that cannot sync a folder say
// EINVAL; the rename is then as durable as they make it.
bool SyncFolder(const std::string& folder) {
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() && (fsync(fd.Get()) == 0 || errno == EINVAL);
}

// Writes the temporary completely, with the target's permission bits (0600 for a new file), and
// on stable storage before the rename: a crash must find the old file or the whole new one.
bool FillTemporary(int fd, const std::string& target, const std::string& text) {
    struct stat info {};
    mode_t mode = stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0600;
    if (!WriteAll(fd, text) || fchmod(fd, mode) != 0) return false;
    return fsync(fd) == 0;
}

bool ReplaceFileContent(const std::string& target, const std::string& text) {
    std::string temporary = target + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    UniqueFd file(fd);
    bool written = FillTemporary(fd, target, text);
    file.Reset();
    if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(FolderOf(target));
}

class ConfFileSettings final : public UserSettings {
public:
    explicit ConfFileSettings(std::string filePath) : filePath_(std::move(filePath)) {}

    std::string ReadText(const std::string& name) override {
        for (const std::string& line : ReadLines()) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos && SameNameIgnoringAsciiCase(line.substr(0, equals), name))
                return line.substr(equals + 1);
        }
        return {};
    }

    bool WriteText(const std::string& name, const std::string& value) override {
        if (value.find('\n') != std::string::npos) return false;  // would corrupt the line structure
        std::vector<std::string> lines = ReadLines();
        bool replaced = false;
        for (std::string& line : lines) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos && SameNameIgnoringAsciiCase(line.substr(0, equals), name)) {
                line = name + "=" + value;
                replaced = true;
                break;
            }
        }
        if (!replaced) lines.push_back(name + "=" + value);
        return WriteLines(lines);
    }

private:
    std::vector<std::string> ReadLines() const {
        std::vector<std::string> lines;
        std::ifstream in(filePath_, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    bool WriteLines(const std::vector<std::string>& lines) const {
        std::string text;
        for (const std::string& line : lines) text += line + '\n';
        std::string target;
        return ResolveSymlinks(filePath_, target) && ReplaceFileContent(target, text);
    }

    std::string filePath_;
};

bool CreateFolderWithParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        CreateFolder(path.substr(0, slash));
    return CreateFolder(path);
}

}  // namespace

std::unique_ptr<UserSettings> UserSettings::Open() {
    std::string configRoot = GetUserConfigPath();
    if (configRoot.empty()) return nullptr;
    std::string folder = configRoot + "/Quenmarsh";
    if (!CreateFolderWithParents(folder)) return nullptr;
    std::string filePath = folder + "/Pellmar.conf";
    if (!FileExists(filePath)) {
        std::ofstream create(filePath, std::ios::binary | std::ios::app);
        if (!create) return nullptr;
    }
    std::ifstream probe(filePath, std::ios::binary);
    if (!probe) return nullptr;
    return std::make_unique<ConfFileSettings>(filePath);
}

}  // namespace pellmar::platform
