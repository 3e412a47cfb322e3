// Whether a windowed program can reach a display at all, asked before the toolkit starts (which
// would otherwise abort). Any thread.
#pragma once

namespace pellmar::platform {

// Linux: an X or Wayland display is named, or a toolkit platform is chosen explicitly
// (QT_QPA_PLATFORM, e.g. offscreen). Windows: always.
bool DisplayAvailable();

}  // namespace pellmar::platform
