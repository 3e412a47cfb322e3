// The job worker's wake-up: a manual-reset event, made non-signalled. On Windows a kernel event
// under a name other programs can open in this logon session; elsewhere an in-process Event (no
// other system names its events). Owns the event; knows nothing of jobs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Event.h"

namespace pellmar::platform {

// Thread contract: every member from any thread while the object lives; Wait blocks the caller.
class WakeEvent {
public:
    virtual ~WakeEvent() = default;

    // Never null. The name is taken only when nobody in the logon session holds it yet: two hosts
    // sharing one event would each reset the other's wake-ups, so a later one gets an unnamed event.
    static std::unique_ptr<WakeEvent> Create(const std::string& name);
    // Unnamed and in-process, the fallback of every system.
    static std::unique_ptr<WakeEvent> CreateInProcess();

    virtual void Set() = 0;
    virtual void Reset() = 0;
    // True when signalled within `timeoutMs` (kInfinite of Event.h: no limit).
    virtual bool Wait(std::uint32_t timeoutMs) = 0;
};

}  // namespace pellmar::platform
