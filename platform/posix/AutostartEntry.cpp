// The autostart entry as an XDG autostart .desktop file. Written under a temporary name and
// renamed, so a half-written entry never starts anything.
#include "platform/AutostartEntry.h"

#include "platform/Environment.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmar::platform {
namespace {

// An absolute XDG directory variable without its trailing slashes; empty when unset or relative
// (relative entries are invalid by the XDG rules and are not used).
std::string AbsoluteFolder(const std::string& value) {
    std::string folder = value;
    if (folder.empty() || folder.front() != '/') return {};
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// The user's own configuration folder: writing there needs no rights.
std::string UserConfigFolder() {
    const std::string home = AbsoluteFolder(GetEnvironmentText("XDG_CONFIG_HOME"));
    if (!home.empty()) return home;
    const std::string user = AbsoluteFolder(GetEnvironmentText("HOME"));
    return user.empty() ? std::string() : user + "/.config";
}

// Where earlier versions wrote the entry for every user: the first $XDG_CONFIG_DIRS entry.
std::string SystemConfigFolder() {
    const std::string dirs = GetEnvironmentText("XDG_CONFIG_DIRS");
    const std::string first = AbsoluteFolder(dirs.substr(0, dirs.find(':')));
    return first.empty() ? "/etc/xdg" : first;
}

std::string AutostartFolder() { return UserConfigFolder() + "/autostart"; }

std::string SystemEntryLocation() { return SystemConfigFolder() + "/autostart/PellmarTray.desktop"; }

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST; }

// True when nothing is left at `path` afterwards.
bool Remove(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

// Inside a quoted Exec argument these four characters need a backslash, and "%" starts a field code.
std::string QuoteExecArgument(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        // The value's own escaping doubles each backslash again, so a literal backslash is written as four.
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
        if (c == '\\') quoted += "\\\\";
        else if (c == '%') quoted += "%%";
        else quoted += c;
    }
    return quoted + "\"";
}

// A hidden entry of the user's own overrides one of the same name for every user: it is how the
// user turns off what an earlier version enabled for everybody, without the rights to remove it.
bool WriteEntry(const std::string& programFolder, bool hidden) {
    if (UserConfigFolder().empty() || !MakeFolder(UserConfigFolder()) || !MakeFolder(AutostartFolder())) return false;
    std::string path = AutostartEntryLocation();
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\nType=Application\nName=Pellmar\n";
        if (hidden) out << "Hidden=true\n";
        else out << "Exec=" << QuoteExecArgument(programFolder + "Pellmar") << "\nTerminal=false\n";
        out.flush();
        if (!out) {
            unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

bool IsHiddenEntry(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        if (line == "Hidden=true") return true;
    return false;
}

}  // namespace

std::string AutostartEntryLocation() { return AutostartFolder() + "/PellmarTray.desktop"; }

std::optional<bool> ReadAutostartEntry() {
    if (Exists(AutostartEntryLocation())) return !IsHiddenEntry(AutostartEntryLocation());
    if (Exists(SystemEntryLocation())) return true;
    // A folder that is simply not there yet holds no entry; one that cannot be read says nothing.
    if (UserConfigFolder().empty()) return std::nullopt;
    if (access(AutostartFolder().c_str(), R_OK | X_OK) == 0 || errno == ENOENT) return false;
    return std::nullopt;
}

// An entry an earlier version left for every user is removed where this user may; otherwise the
// user's own entry overrides it.
bool WriteAutostartEntry(bool present, const std::string& programFolder) {
    // A folder that is unknown or relative would make the entry start a look-alike found on PATH
    // or in whatever folder the session starts in.
    if (present) {
        if (programFolder.empty() || programFolder.front() != '/' || !WriteEntry(programFolder, false)) return false;
        Remove(SystemEntryLocation());
        return true;
    }
    if (Remove(SystemEntryLocation())) return Remove(AutostartEntryLocation());
    return WriteEntry(programFolder, true);
}

}  // namespace pellmar::platform
