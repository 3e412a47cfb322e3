// Saves what the screen shows inside a rectangle as a 24-bit BMP file, for the README's pictures
// of the Win32 windows. The window must be shown and painted. Main thread.
#pragma once

#include <windows.h>

#include <string>

namespace pellmar::gallery {

bool SaveScreenArea(const RECT& area, const std::string& path);

}  // namespace pellmar::gallery
