// Linux answers to the location queries: XDG folders, /usr as the protected system folder.
#include "platform/Environment.h"

#include <cstdlib>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace pellmar::platform {
namespace {

std::string XdgFolder(const char* variable, const char* homeRelative) {
    std::string value = GetEnvironmentText(variable);
    // XDG says a relative value is invalid and must be ignored.
    if (!value.empty() && value.front() == '/') return value;
    std::string home = GetEnvironmentText("HOME");
    if (home.empty()) return {};
    return home + homeRelative;
}

std::string WithoutTrailingDelimiters(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

char PathDelimiter() { return '/'; }

bool IsPathDelimiter(char c) { return c == '/'; }

std::string GetEnvironmentText(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

std::string GetAppDataPath() {
    return WithoutTrailingDelimiters(XdgFolder("XDG_DATA_HOME", "/.local/share"));
}

std::string GetUserConfigPath() {
    return WithoutTrailingDelimiters(XdgFolder("XDG_CONFIG_HOME", "/.config"));
}

std::string GetSystemDir() { return "/usr"; }

int GetOsMajorVersion() {
    utsname names{};
    if (uname(&names) != 0) return 0;
    return std::atoi(names.release);
}

bool HasDetailedChangeRecords() { return true; }

std::string GetProgramFolder() {
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace pellmar::platform
