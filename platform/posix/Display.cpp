// The display test on Linux: the environment names one.
#include "platform/Display.h"

#include "platform/Environment.h"

namespace pellmar::platform {

bool DisplayAvailable() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!GetEnvironmentText(name).empty()) return true;
    }
    return false;
}

}  // namespace pellmar::platform
