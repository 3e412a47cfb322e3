// The update file list of a version description: which files to download, under which names they
// are installed, and the SHA-256 and size each must have (section "UpdateFileDigests", which a
// reader that knows only the file list skips). Pure over the INI file; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellmar {

struct UpdateFileInfo {
    std::string FileName;  // text after the last "/" of the value, at most 80 characters
    std::string URL;       // the value, at most 255 characters
    std::string sha256;    // 64 lower-case hex digits; empty when the description gives none
    std::uint64_t size = 0;
};

UpdateFileInfo MakeUpdateFileInfo(const std::string& value);

// The section beside "VersionUpdateFiles" whose "FileN" is "<sha256 hex> <size in bytes>".
constexpr const char* kFileDigestsSection = "UpdateFileDigests";

// Fills sha256 and size from a digest value; false (leaving them empty) when it is malformed.
bool ParseFileDigest(const std::string& value, UpdateFileInfo& file);

// "File0", "File1", ... of section "VersionUpdateFiles", up to the first missing or empty one, with
// the digest of the same key where one is given.
std::vector<UpdateFileInfo> ReadUpdateFileList(const std::string& iniFile);

// Whether the file at `path` has exactly the size and SHA-256 that `file` lists (false when it
// lists none).
bool MatchesListedDigest(const std::string& path, const UpdateFileInfo& file);

// Whether `name` can only name a file directly inside the program folder (not empty, not "." or
// "..", no path delimiter), so a published list can never write outside that folder.
bool IsPlainFileName(const std::string& name);

}  // namespace pellmar
