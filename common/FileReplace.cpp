// Copy-then-rename file replacement over std::filesystem.
#include "common/FileReplace.h"

#include <filesystem>

namespace pellmar {

namespace fs = std::filesystem;

bool ReplaceFileWithCopy(const std::string& source, const std::string& target) {
    std::error_code error;
    if (!fs::is_regular_file(source, error)) return false;
    fs::file_status existing = fs::status(target, error);
    bool replacing = fs::exists(existing);
    // Renaming would replace a read-only file regardless; the read-only mark means "do not replace".
    if (replacing && (!fs::is_regular_file(existing) || (existing.permissions() & fs::perms::owner_write) == fs::perms::none)) {
        return false;
    }
    fs::path temporary = target + ".new-copy";
    fs::remove(temporary, error);
    bool ok = fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error);
    if (ok && replacing) {
        fs::permissions(temporary, existing.permissions(), error);
        ok = !error;
    }
    if (ok) {
        fs::rename(temporary, target, error);
        ok = !error;
    }
    if (!ok) fs::remove(temporary, error);
    return ok;
}

}  // namespace pellmar
