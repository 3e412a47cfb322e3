// The event log window's detail pane and list columns as every toolkit draws them: the name labels
// with their positions inside the "Event Detail " group box, and the text of a row's column. No
// toolkit.
#pragma once

#include "tray/log/LogList.h"

#include <array>
#include <string>

namespace pellmar {

// How often a shown event log looks for new entries.
inline constexpr int kLogRefreshMilliseconds = 2000;

struct LogColumn {
    const char* caption;
    int width;
};

inline constexpr std::array<LogColumn, 5> kLogColumns{{
    {"Type", 100}, {"Date", 80}, {"Time", 80}, {"Operation", 70}, {"Description", 220}}};

struct LogDetailLine {
    const char* name;
    int left, top, valueLeft;
};

// In the order of the views' value labels: date, time, type, operation, source, destination.
inline constexpr std::array<LogDetailLine, 6> kLogDetailLines{{
    {"Date:", 8, 16, 108},
    {"Time:", 8, 36, 108},
    {"Type:", 208, 16, 280},
    {"Operation:", 208, 36, 280},
    {"Source File:", 8, 64, 108},
    {"Destination File:", 8, 84, 108},
}};

// The text of a row in the column of kLogColumns at `column`.
inline const std::string& LogColumnText(const LogListRow& row, int column) {
    switch (column) {
    case 0: return row.type;
    case 1: return row.date;
    case 2: return row.time;
    case 3: return row.operation;
    default: return row.description;
    }
}

}  // namespace pellmar
