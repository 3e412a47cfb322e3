// Reading one buffer of change records on the main thread: action codes, repeat suppression of
// modifications with the held-back repeat, delivery in order. Owns no thread or handle; the clock,
// the handler and the timing of the next look at a held repeat are the caller's.
#include "tray/monitor/notification/ChangeBuffer.h"

#include "common/Paths.h"

#include <algorithm>
#include <utility>

namespace pellmar {

namespace {

// Past the boundary by a little, so that a wake-up on another clock does not land just before it.
constexpr std::chrono::milliseconds kPastSecondBoundary{20};

bool SameSecond(const platform::LocalTimeFields& a, const platform::LocalTimeFields& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

// Whether a modification record is delivered; a refused repeat is held instead.
bool ScreenModification(const std::string& name, const ChangeBufferContext& context) {
    ModifiedRepeatFilter& repeats = context.repeats;
    const std::string fullPath = IncludeTrailingPathDelimiter(context.root) + name;
    const bool samePath = fullPath == repeats.LastPath();
    if (!repeats.Admit(fullPath, context.clock())) {
        repeats.Hold(name);
        return false;
    }
    // The filter's state is settled before the handler runs: it may stop or destroy the monitor.
    const std::string held = repeats.TakeHeld();
    if (!held.empty() && !samePath) context.deliver(DirModified, held);
    return true;
}

// A held modification must not arrive after a later deletion or rename of the same file.
void FlushHeldOfName(const std::string& name, const ChangeBufferContext& context) {
    if (context.repeats.Held().empty() || context.repeats.Held() != name) return;
    context.deliver(DirModified, context.repeats.TakeHeld());
}

}  // namespace

DirAction DirActionOf(std::uint32_t action) {
    switch (action) {
        case platform::FileActionRemoved: return DirRemoved;
        case platform::FileActionModified: return DirModified;
        case platform::FileActionRenamedOld: return DirRenamedOld;
        case platform::FileActionRenamedNew: return DirRenamedNew;
        case platform::FileActionFolderAdded: return DirFolderAdded;
        case platform::FileActionFolderRemoved: return DirFolderRemoved;
        default: return DirAdded;
    }
}

bool ModifiedRepeatFilter::Admit(const std::string& fullPath, const platform::LocalTimeFields& now) {
    const bool repeat = fullPath == lastPath_ && SameSecond(now, lastTime_);
    lastPath_ = fullPath;
    lastTime_ = now;
    return !repeat;
}

std::string ModifiedRepeatFilter::TakeHeld() { return std::exchange(held_, std::string()); }

bool ModifiedRepeatFilter::HeldDue(const platform::LocalTimeFields& now) const {
    return !held_.empty() && !SameSecond(now, lastTime_);
}

void ProcessChangeBuffer(const ChangeBuffer& buffer, const ChangeBufferContext& context) {
    for (const platform::DirectoryChange& record : buffer) {
        if (!context.live()) return;
        if (record.name.empty()) {
            if (record.action == platform::FileActionNone) context.deliver(DirLost, std::string());
            if (record.action == platform::FileActionWatchesIncomplete) context.deliver(DirIncomplete, std::string());
            continue;
        }
        if (record.action == platform::FileActionWritten) {
            context.writes.Written(record.name, context.now);
            continue;
        }
        const DirAction action = DirActionOf(record.action);
        context.writes.Settled(record.name);
        if (action == DirModified) {
            if (!ScreenModification(record.name, context)) continue;
        } else {
            FlushHeldOfName(record.name, context);
        }
        // Delivering a held repeat may have ended the run.
        if (!record.name.empty() && context.live()) context.deliver(action, record.name);
    }
}

void FlushHeldRepeat(const ChangeBufferContext& context) {
    if (!context.live() || !context.repeats.HeldDue(context.clock())) return;
    context.deliver(DirModified, context.repeats.TakeHeld());
}

std::optional<std::chrono::milliseconds> HeldRepeatDelay(const ModifiedRepeatFilter& repeats,
                                                        const platform::LocalTimeFields& now) {
    if (repeats.Held().empty()) return std::nullopt;
    if (repeats.HeldDue(now)) return std::chrono::milliseconds(0);
    const int intoSecond = std::clamp(now.millisecond, 0, 999);
    return std::chrono::milliseconds(1000 - intoSecond) + kPastSecondBoundary;
}

}  // namespace pellmar
