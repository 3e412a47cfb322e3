// The version name rule over the platform's path delimiters, both ways.
// No file system access: whether a version exists is the job worker's question.
#include "tray/jobs/VersionNames.h"

#include <string_view>

#include "platform/Environment.h"

namespace pellmar {
namespace {

std::size_t NameStart(const std::string& path) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !platform::IsPathDelimiter(path[nameStart - 1])) --nameStart;
    return nameStart;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool AllDigits(std::string_view text) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string VersionFileName(const std::string& dest, std::int32_t version) {
    std::size_t nameStart = NameStart(dest);
    std::size_t dot = dest.rfind('.');
    std::size_t extensionStart = (dot == std::string::npos || dot < nameStart) ? dest.size() : dot;
    return dest.substr(0, extensionStart) + "." + std::to_string(version) + dest.substr(extensionStart);
}

std::string SiblingVersionPath(const std::string& dest, int currentVersion, int version) {
    const std::string folder = dest.substr(0, NameStart(dest));
    const std::string name = dest.substr(NameStart(dest));
    // Appended rather than "." + text: GCC 12 at -O3 reports a false -Wrestrict on the latter.
    std::string marker = ".";
    marker += std::to_string(currentVersion);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string stem = name.substr(0, dot == std::string::npos ? name.size() : dot);
    if (EndsWith(stem, marker)) {
        return folder + stem.substr(0, stem.size() - marker.size()) + "." + std::to_string(version) + extension;
    }
    if (extension == marker) return folder + stem + "." + std::to_string(version);
    return dest;  // not a versioned name: there is no sibling to point at
}

std::vector<VersionReading> VersionReadings(const std::string& name) {
    std::vector<VersionReading> readings;
    auto read = [&](const std::string& original, std::string_view digits) {
        readings.push_back({original, std::stoll(std::string(digits))});
    };
    const std::size_t lastDot = name.rfind('.');
    if (lastDot == std::string::npos || lastDot == 0) return readings;
    const std::string extension = name.substr(lastDot);
    const std::string stem = name.substr(0, lastDot);
    if (AllDigits(extension.substr(1))) read(stem, extension.substr(1));
    const std::size_t numberDot = stem.rfind('.');
    if (numberDot != std::string::npos && numberDot > 0 && AllDigits(std::string_view(stem).substr(numberDot + 1)))
        read(stem.substr(0, numberDot) + extension, std::string_view(stem).substr(numberDot + 1));
    return readings;
}

}  // namespace pellmar
