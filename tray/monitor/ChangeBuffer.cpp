// Reading one buffer of change records on the main thread: action codes, repeat suppression of
// modifications, delivery in order. Owns no thread or handle; the clock and the handler are the
// caller's.
#include "tray/monitor/ChangeBuffer.h"

#include "tray/util/Paths.h"

namespace pellmar {

namespace {

bool SameSecond(const platform::LocalTimeFields& a, const platform::LocalTimeFields& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

}  // namespace

DirAction DirActionOf(std::uint32_t action) {
    switch (action) {
        case platform::FileActionRemoved: return DirRemoved;
        case platform::FileActionModified: return DirModified;
        case platform::FileActionRenamedOld: return DirRenamedOld;
        case platform::FileActionRenamedNew: return DirRenamedNew;
        default: return DirAdded;
    }
}

bool ModifiedRepeatFilter::Admit(const std::string& fullPath, const platform::LocalTimeFields& now) {
    const bool repeat = fullPath == lastPath_ && SameSecond(now, lastTime_);
    lastPath_ = fullPath;
    lastTime_ = now;
    return !repeat;
}

void ProcessChangeBuffer(const ChangeBuffer& buffer, const ChangeBufferContext& context) {
    for (const platform::DirectoryChange& record : buffer) {
        if (!context.live()) return;
        const DirAction action = DirActionOf(record.action);
        if (action == DirModified) {
            const std::string fullPath = IncludeTrailingPathDelimiter(context.root) + record.name;
            if (!context.repeats.Admit(fullPath, context.clock())) continue;
        }
        if (!record.name.empty()) context.deliver(action, record.name);
    }
}

}  // namespace pellmar
