// The configuration window's details pane as every toolkit draws it: the name labels with their
// positions inside the "Settings" group box, and the value texts in the same order. No toolkit.
#pragma once

#include "tray/ui/MonitorTexts.h"

#include <array>
#include <cstddef>
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

inline constexpr int kDetailsWidth = 593;  // the "Settings" group box
inline constexpr int kDetailsHeight = 165;
inline constexpr int kValueGap = 8;     // between a value and the next name label on its row
inline constexpr int kValueRowGap = 2;  // between a value and the next row of its column
inline constexpr int kFrameMargin = 4;  // between a value and the group box's frame

// The wrapping values end inside the group box.
inline constexpr int kPathValueWidth = kDetailsWidth - 152 - kValueGap;

struct ValueRoom {
    int width;
    int height;
};

// What a value label may cover without drawing over its neighbours: up to the next name label on
// its row (or the group box's frame), down to the next row of its column (or the frame).
constexpr ValueRoom DetailValueRoom(std::size_t line) {
    const DetailLine& self = kDetailLines[line];
    int right = kDetailsWidth - kFrameMargin;
    int bottom = kDetailsHeight - kFrameMargin;
    for (const DetailLine& other : kDetailLines) {
        if (other.top == self.top && other.nameLeft > self.valueLeft && other.nameLeft - kValueGap < right)
            right = other.nameLeft - kValueGap;
        if (other.valueLeft == self.valueLeft && other.top > self.top && other.top - kValueRowGap < bottom)
            bottom = other.top - kValueRowGap;
    }
    return {right - self.valueLeft, bottom - self.top};
}

inline std::array<const std::string*, 9> DetailTexts(const MonitorDetails& details) {
    return {&details.deletions, &details.versions,  &details.filters,    &details.exceptions, &details.root,
            &details.backuppath, &details.exclusive, &details.subfolders, &details.status};
}

}  // namespace pellmar
