// Copy-then-rename file replacement: the checks over std::filesystem, the flushed copy and rename
// through the platform's file copy.
#include "common/FileReplace.h"

#include "common/Utf8Path.h"
#include "platform/FileCopy.h"

#include <filesystem>

namespace pellmar {

namespace fs = std::filesystem;

bool ReplaceFileWithCopy(const std::string& source, const std::string& target) {
    std::error_code error;
    const fs::path sourcePath = PathFromUtf8(source);
    if (!fs::is_regular_file(sourcePath, error)) return false;
    fs::file_status existing = fs::status(PathFromUtf8(target), error);
    // Renaming would replace a read-only file regardless; the read-only mark means "do not replace".
    if (fs::exists(existing)) {
        if (!fs::is_regular_file(existing) || (existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
            return false;
        }
        // The copy takes the source's mode: a replaced file keeps its own (an executable stays one).
        fs::permissions(sourcePath, existing.permissions(), error);
        if (error) return false;
    }
    // Content and name reach stable storage before this returns; the target is never seen half-written.
    return platform::CopyFileReplacing(source, target) == platform::CopyResult::Copied;
}

}  // namespace pellmar
