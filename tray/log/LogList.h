// The event log as rows for a list view, with no toolkit: one row per entry with its five
// column texts, its image index and the LogListItem (job id and paths for the detail pane).
// Filled by LogData::LoadLogEntries; shown by the event log window. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Longest path the detail pane shows; the stored values stay whole.
inline constexpr std::size_t kLogDetailPathLength = 255;

struct LogListItem {
    std::int32_t jobid = 0;
    std::string src;   // at most kLogDetailPathLength bytes
    std::string dest;  // at most kLogDetailPathLength bytes
};

struct LogListRow {
    std::string type;        // column 0: status word
    int image = -1;          // status 0, 1 or 2; -1 (no image) for any other stored status
    std::string date;        // column 1
    std::string time;        // column 2
    std::string operation;   // column 3
    std::string description; // column 4: the message
    LogListItem item;        // owned by the row, gone when the list is reloaded
};

class LogListModel {
public:
    void Clear() { rows_.clear(); }
    void Append(LogListRow row) { rows_.push_back(std::move(row)); }
    // Replaces every row at once (a whole load of the log), without moving any of them.
    void Assign(std::vector<LogListRow> rows) { rows_ = std::move(rows); }
    int Count() const { return static_cast<int>(rows_.size()); }
    const LogListRow& Row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<LogListRow>& Rows() const { return rows_; }

private:
    std::vector<LogListRow> rows_;
};

// The first kLogDetailPathLength bytes of `path`, shortened further to the start of a UTF-8
// character that the cut would split, so that the pane never shows half a character.
std::string CutForDetailPane(std::string_view path);

}  // namespace pellmar
