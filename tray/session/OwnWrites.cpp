#include "tray/session/OwnWrites.h"

#include "common/Paths.h"
#include "platform/CopyTemporaries.h"
#include "tray/monitor/PathParts.h"

namespace pellmar {

void OwnWrites::Written(std::vector<std::string> paths, Clock::time_point now) {
    paths_ = std::move(paths);
    until_ = now + lifetime_;
}

bool OwnWrites::Covers(const std::string& path, Clock::time_point now) const {
    if (paths_.empty() || now >= until_) return false;
    const bool temporary = platform::CopyTemporaryOwner(FileNamePart(path)).has_value();
    for (const std::string& written : paths_) {
        if (SamePathText(path, written)) return true;
        if (temporary && SamePathText(FolderPart(path), FolderPart(written))) return true;
    }
    return false;
}

}  // namespace pellmar
