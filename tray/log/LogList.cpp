// The detail pane's cut of long paths.
// The rows themselves are plain data in LogList.h; this file only cuts paths for display.
#include "tray/log/LogList.h"

namespace pellmar {

std::string CutForDetailPane(std::string_view path) {
    if (path.size() <= kLogDetailPathLength) return std::string(path);
    std::size_t cut = kLogDetailPathLength;
    // A UTF-8 character is at most 4 bytes: back off over at most 3 continuation bytes, so a
    // path in a single-byte encoding is never cut by more than that.
    for (int step = 0; step < 3 && cut > 0 && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80; ++step) --cut;
    return std::string(path.substr(0, cut));
}

}  // namespace pellmar
