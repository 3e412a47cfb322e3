// The display test on Windows: an interactive session always has one.
#include "platform/Display.h"

namespace pellmar::platform {

bool DisplayAvailable() { return true; }

}  // namespace pellmar::platform
