// Path splitting for the scanners: where a path's last level starts. Text only; the delimiters
// come from the platform layer.
#include "tray/monitor/PathParts.h"

#include "platform/Environment.h"

namespace pellmar {
namespace {

// A colon ends the drive part only where "\" is the delimiter; on Linux it is a name character.
bool EndsLevel(char c) { return platform::IsPathDelimiter(c) || (c == ':' && platform::PathDelimiter() == '\\'); }

std::size_t NameStart(std::string_view path) {
    std::size_t start = path.size();
    while (start > 0 && !EndsLevel(path[start - 1])) --start;
    return start;
}

}  // namespace

std::string_view FileNamePart(std::string_view path) { return path.substr(NameStart(path)); }

std::string_view FolderPart(std::string_view path) { return path.substr(0, NameStart(path)); }

}  // namespace pellmar
