// Copy-then-rename file replacement: the checks over std::filesystem, the flushed copy and rename
// through the platform's file copy.
#include "common/FileReplace.h"

#include "platform/FileCopy.h"

#include <filesystem>

namespace pellmar {

namespace fs = std::filesystem;

bool ReplaceFileWithCopy(const std::string& source, const std::string& target) {
    std::error_code error;
    if (!fs::is_regular_file(source, error)) return false;
    fs::file_status existing = fs::status(target, error);
    // Renaming would replace a read-only file regardless; the read-only mark means "do not replace".
    if (fs::exists(existing)) {
        if (!fs::is_regular_file(existing) || (existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
            return false;
        }
        // The copy takes the source's mode: a replaced file keeps its own (an executable stays one).
        fs::permissions(source, existing.permissions(), error);
        if (error) return false;
    }
    // Content and name reach stable storage before this returns; the target is never seen half-written.
    return platform::CopyFileReplacing(source, target) == platform::CopyResult::Copied;
}

}  // namespace pellmar
