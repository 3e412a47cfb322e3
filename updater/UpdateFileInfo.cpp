// Building the update file list from "VersionInfo.ini".
#include "updater/UpdateFileInfo.h"

#include "common/IniFile.h"
#include "platform/Environment.h"

namespace pellmar {

namespace {
constexpr std::size_t kMaxFileNameLength = 80;
constexpr std::size_t kMaxUrlLength = 255;
}  // namespace

UpdateFileInfo MakeUpdateFileInfo(const std::string& value) {
    std::size_t slash = value.rfind('/');
    std::string name = slash == std::string::npos ? value : value.substr(slash + 1);
    return UpdateFileInfo{name.substr(0, kMaxFileNameLength), value.substr(0, kMaxUrlLength)};
}

std::vector<UpdateFileInfo> ReadUpdateFileList(const std::string& iniFile) {
    // One pass over the file: a lookup per key would read it once per entry (quadratic time).
    IniSection section = ReadIniSection(iniFile, "VersionUpdateFiles");
    std::vector<UpdateFileInfo> files;
    for (std::size_t n = 0;; ++n) {
        auto found = section.find("file" + std::to_string(n));
        if (found == section.end() || found->second.empty()) break;
        files.push_back(MakeUpdateFileInfo(found->second));
    }
    return files;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    // Where the delimiter is "\", a ":" names a drive or a stream and is just as unsafe.
    bool colonIsDelimiter = platform::PathDelimiter() == '\\';
    for (char c : name) {
        if (c == '\0' || platform::IsPathDelimiter(c) || (colonIsDelimiter && c == ':')) return false;
    }
    return true;
}

}  // namespace pellmar
