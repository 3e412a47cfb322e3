// Building the update file list from "VersionInfo.ini", and checking a download against it.
#include "updater/UpdateFileInfo.h"

#include "common/IniFile.h"
#include "common/Utf8Path.h"
#include "platform/Environment.h"
#include "platform/Signature.h"

#include <filesystem>

namespace pellmar {

namespace {
constexpr std::size_t kMaxFileNameLength = 80;
constexpr std::size_t kMaxUrlLength = 255;
}  // namespace

UpdateFileInfo MakeUpdateFileInfo(const std::string& value) {
    std::size_t slash = value.rfind('/');
    std::string name = slash == std::string::npos ? value : value.substr(slash + 1);
    UpdateFileInfo file;
    file.FileName = name.substr(0, kMaxFileNameLength);
    file.URL = value.substr(0, kMaxUrlLength);
    return file;
}

bool ParseFileDigest(const std::string& value, UpdateFileInfo& file) {
    std::size_t blank = value.find(' ');
    if (blank != 64) return false;
    std::string hex = value.substr(0, 64);
    for (char& c : hex) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    std::string digits = value.substr(blank + 1);
    if (digits.empty() || digits.size() > 19) return false;
    std::uint64_t size = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    file.sha256 = hex;
    file.size = size;
    return true;
}

std::vector<UpdateFileInfo> ReadUpdateFileList(const std::string& iniFile) {
    // One pass over the file: a lookup per key would read it once per entry (quadratic time).
    IniSection section = ReadIniSection(iniFile, "VersionUpdateFiles");
    IniSection digests = ReadIniSection(iniFile, kFileDigestsSection);
    std::vector<UpdateFileInfo> files;
    for (std::size_t n = 0;; ++n) {
        std::string key = "file" + std::to_string(n);
        auto found = section.find(key);
        if (found == section.end() || found->second.empty()) break;
        files.push_back(MakeUpdateFileInfo(found->second));
        auto digest = digests.find(key);
        if (digest != digests.end()) ParseFileDigest(digest->second, files.back());
    }
    return files;
}

bool MatchesListedDigest(const std::string& path, const UpdateFileInfo& file) {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(PathFromUtf8(path), error);
    if (file.sha256.empty() || error || size != file.size) return false;
    std::optional<platform::Sha256Digest> digest = platform::Sha256OfFile(path);
    if (!digest) return false;
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : *digest) {
        hex.push_back(kHex[byte >> 4]);
        hex.push_back(kHex[byte & 15]);
    }
    return hex == file.sha256;
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
