// The main-thread reading of one buffer of change records: action codes, the suppression of
// repeated modifications within one clock second, and which records reach the handler.
// Pure apart from the clock it is handed; owns no thread and no OS handle.
#pragma once

#include "platform/DirectoryWatch.h"
#include "platform/LocalClock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellmar {

enum DirAction : int {
    DirAdded = 0,
    DirRemoved = 1,
    DirModified = 2,
    DirRenamedOld = 3,
    DirRenamedNew = 4,
};

using ChangeBuffer = std::vector<platform::DirectoryChange>;

// The action code of a record's OS action; unknown values count as added.
DirAction DirActionOf(std::uint32_t action);

// The last modification seen. Survives Stop and Start of its monitor.
class ModifiedRepeatFilter {
public:
    // False when `fullPath` equals the last modified path exactly and `now` falls in the same
    // clock second; the path and time are remembered either way.
    bool Admit(const std::string& fullPath, const platform::LocalTimeFields& now);

private:
    std::string lastPath_;
    platform::LocalTimeFields lastTime_;
};

struct ChangeBufferContext {
    const std::string& root;          // the watched folder, for the full path of a modification
    ModifiedRepeatFilter& repeats;
    std::function<platform::LocalTimeFields()> clock;
    std::function<bool()> live;       // checked before every record; false ends the walk
    std::function<void(DirAction, const std::string&)> deliver;
};

// Walks the records in order and delivers each one that survives, name never empty.
void ProcessChangeBuffer(const ChangeBuffer& buffer, const ChangeBufferContext& context);

}  // namespace pellmar
