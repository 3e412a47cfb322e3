#include "tray/session/OwnWrites.h"

#include "common/TextCase.h"
#include "platform/CopyTemporaries.h"
#include "platform/FileCopy.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {
namespace {

bool SamePath(std::string_view a, std::string_view b) {
    return platform::PathNamesIgnoreCase() ? EqualIgnoringAsciiCase(a, b) : a == b;
}

}  // namespace

void OwnWrites::Written(std::vector<std::string> paths, Clock::time_point now) {
    paths_ = std::move(paths);
    until_ = now + lifetime_;
}

bool OwnWrites::Covers(const std::string& path, Clock::time_point now) const {
    if (paths_.empty() || now >= until_) return false;
    const bool temporary = platform::CopyTemporaryOwner(FileNamePart(path)).has_value();
    for (const std::string& written : paths_) {
        if (SamePath(path, written)) return true;
        if (temporary && SamePath(FolderPart(path), FolderPart(written))) return true;
    }
    return false;
}

}  // namespace pellmar
