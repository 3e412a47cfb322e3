// The in-process wake-up on the portable Event.
#include "platform/WakeEvent.h"

#include "platform/Event.h"

namespace pellmar::platform {
namespace {

class InProcessWakeEvent final : public WakeEvent {
public:
    void Set() override { event_.Set(); }
    void Reset() override { event_.Reset(); }
    bool Wait(std::uint32_t timeoutMs) override { return event_.Wait(timeoutMs) == WaitResult::First; }

private:
    Event event_{Event::Mode::ManualReset};
};

}  // namespace

std::unique_ptr<WakeEvent> WakeEvent::CreateInProcess() { return std::make_unique<InProcessWakeEvent>(); }

}  // namespace pellmar::platform
