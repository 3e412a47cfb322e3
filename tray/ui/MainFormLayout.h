// The configuration window's details pane as every toolkit draws it: the name labels with their
// positions inside the "Settings" group box, and the value texts in the same order. No toolkit.
#pragma once

#include "tray/ui/MonitorTexts.h"

#include <array>
#include <string>

namespace pellmar {

struct DetailLine {
    const char* name;
    int nameLeft, top, valueLeft;
    bool wraps;  // a path: wraps over several lines
};

// In MonitorDetails order.
inline constexpr std::array<DetailLine, 9> kDetailLines{{
    {"Replicate File Deletions:", 4, 16, 152, false},
    {"Multiple File Versions:", 16, 36, 152, false},
    {"Monitored File Types:", 20, 56, 152, false},
    {"Exception File Types:", 20, 76, 152, false},
    {"Folder Path to Monitor:", 12, 96, 152, true},
    {"Backup to Folder Path:", 12, 128, 152, true},
    {"Wait for Exclusive Access to File:", 344, 16, 544, false},
    {"Monitor SubFolders:", 420, 36, 544, false},
    {"Status:", 492, 56, 544, false},
}};

// How often a shown window looks at what each monitor is doing.
inline constexpr int kStateRefreshMilliseconds = 2000;

// The wrapping values end inside the 593-pixel group box.
inline constexpr int kPathValueWidth = 593 - 152 - 8;

inline std::array<const std::string*, 9> DetailTexts(const MonitorDetails& details) {
    return {&details.deletions, &details.versions,  &details.filters,    &details.exceptions, &details.root,
            &details.backuppath, &details.exclusive, &details.subfolders, &details.status};
}

}  // namespace pellmar
