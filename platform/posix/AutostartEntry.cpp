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

std::string ConfigFolder() {
    std::string dirs = GetEnvironmentText("XDG_CONFIG_DIRS");
    std::string first = dirs.substr(0, dirs.find(':'));
    // Relative entries are invalid by the XDG rules and are not used.
    if (first.empty() || first.front() != '/') return "/etc/xdg";
    while (first.size() > 1 && first.back() == '/') first.pop_back();
    return first;
}

std::string AutostartFolder() { return ConfigFolder() + "/autostart"; }

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

bool WriteEntry(const std::string& programFolder) {
    // Only the autostart level is made; the configuration folder itself belongs to the system.
    if (mkdir(AutostartFolder().c_str(), 0755) != 0 && errno != EEXIST) return false;
    std::string path = AutostartEntryLocation();
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\nType=Application\nName=Pellmar\nExec="
            << QuoteExecArgument(programFolder + "Pellmar") << "\nTerminal=false\n";
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

}  // namespace

std::string AutostartEntryLocation() { return AutostartFolder() + "/PellmarTray.desktop"; }

std::optional<bool> ReadAutostartEntry() {
    if (access(AutostartFolder().c_str(), R_OK | X_OK) != 0) {
        // A folder that is simply not there yet holds no entry; one that cannot be read says nothing.
        if (errno == ENOENT && access(ConfigFolder().c_str(), X_OK) == 0) return false;
        return std::nullopt;
    }
    struct stat info {};
    return lstat(AutostartEntryLocation().c_str(), &info) == 0;
}

bool WriteAutostartEntry(bool present, const std::string& programFolder) {
    // A folder that is unknown or relative would make the entry start a look-alike found on PATH
    // or in whatever folder the session starts in.
    if (present) return !programFolder.empty() && programFolder.front() == '/' && WriteEntry(programFolder);
    std::string path = AutostartEntryLocation();
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace pellmar::platform
