// The version name rule over the platform's path delimiters.
// No file system access: whether a version exists is the job worker's question.
#include "tray/jobs/VersionNames.h"

#include "platform/Environment.h"

namespace pellmar {

std::string VersionFileName(const std::string& dest, std::int32_t version) {
    std::size_t nameStart = dest.size();
    while (nameStart > 0 && !platform::IsPathDelimiter(dest[nameStart - 1])) --nameStart;
    std::size_t dot = dest.rfind('.');
    std::size_t extensionStart = (dot == std::string::npos || dot < nameStart) ? dest.size() : dot;
    return dest.substr(0, extensionStart) + "." + std::to_string(version) + dest.substr(extensionStart);
}

}  // namespace pellmar
