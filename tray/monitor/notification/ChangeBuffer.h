// The main-thread reading of one buffer of change records: action codes, the suppression of
// repeated modifications within one clock second (holding the last repeat back until its second
// is over), and which records reach the handler. Pure apart from the clock it is handed; owns no
// thread and no OS handle, and does not decide when a held repeat is looked at again.
#pragma once

#include "platform/DirectoryWatch.h"
#include "platform/LocalClock.h"
#include "tray/monitor/notification/OpenWrites.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellmar {

enum DirAction : int {
    DirAdded = 0,
    DirRemoved = 1,
    DirModified = 2,
    DirRenamedOld = 3,
    DirRenamedNew = 4,
    // Not a file's change: the OS lost changes (its queue overflowed); the name is empty.
    DirLost = 5,
    // Not a file's change: some folder of the tree could not be watched; the name is empty.
    DirIncomplete = 6,
    // Not a file's change: the watch broke (reading its changes failed) and hears nothing more.
    DirBroken = 7,
    // A folder came into the tree, or left it (removed, moved out, moved away from its name).
    DirFolderAdded = 8,
    DirFolderRemoved = 9,
};

using ChangeBuffer = std::vector<platform::DirectoryChange>;

// The action code of a record's OS action; unknown values count as added.
DirAction DirActionOf(std::uint32_t action);

// The last modification seen, and the one repeat of it that was held back. The last path and
// time survive Stop and Start of the monitor; the held repeat is its run's and Stop takes it.
class ModifiedRepeatFilter {
public:
    // False when `fullPath` equals the last modified path exactly and `now` falls in the same
    // clock second; the path and time are remembered either way.
    bool Admit(const std::string& fullPath, const platform::LocalTimeFields& now);
    const std::string& LastPath() const { return lastPath_; }

    // The held repeat is always one of the last modified path; `name` is as the record had it.
    void Hold(const std::string& name) { held_ = name; }
    const std::string& Held() const { return held_; }
    // Empty when nothing is held; nothing is held afterwards.
    std::string TakeHeld();
    // True when a repeat is held and `now` lies in another second than its own.
    bool HeldDue(const platform::LocalTimeFields& now) const;

private:
    std::string lastPath_;
    platform::LocalTimeFields lastTime_;
    std::string held_;
};

struct ChangeBufferContext {
    const std::string& root;          // the watched folder, for the full path of a modification
    ModifiedRepeatFilter& repeats;
    std::function<platform::LocalTimeFields()> clock;
    std::function<bool()> live;       // checked before every record; false ends the walk
    std::function<void(DirAction, const std::string&)> deliver;
    OpenWrites& writes;               // takes the records of files written but not closed
    OpenWrites::Clock::time_point now;
};

// Walks the records in order and delivers each one that survives, name never empty, except a
// record without action and name (the OS lost changes), delivered as DirLost, and a record of
// folders left unwatched, delivered as DirIncomplete. A write without a close is not delivered
// but noted in `writes` until a record of the same name settles it. A repeat
// is held instead of dropped; the held one is delivered before any later record of its name and
// before a modification of another path, and is replaced by a later-second one of its own path.
void ProcessChangeBuffer(const ChangeBuffer& buffer, const ChangeBufferContext& context);

// Delivers the held repeat as a modification once its second is over by the context's clock.
void FlushHeldRepeat(const ChangeBufferContext& context);

// How long after `now` the held repeat is worth looking at again: just past the next second
// boundary (at once when it is due already); nothing when no repeat is held.
std::optional<std::chrono::milliseconds> HeldRepeatDelay(const ModifiedRepeatFilter& repeats,
                                                        const platform::LocalTimeFields& now);

}  // namespace pellmar
