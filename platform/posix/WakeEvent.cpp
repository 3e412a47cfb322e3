// No named events on Linux: the wake-up stays inside the process.
#include "platform/WakeEvent.h"

namespace pellmar::platform {

std::unique_ptr<WakeEvent> WakeEvent::Create(const std::string&) { return CreateInProcess(); }

}  // namespace pellmar::platform
