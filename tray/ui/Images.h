// The tray program's image resources in XPM form, a plain-text image format that both the Qt
// views read directly and the Windows build's resource step can convert: the tray icon and the
// event log's strip of three 16x16 images. No toolkit.
#pragma once

#include <string_view>

namespace pellmar {

inline constexpr std::string_view kTrayIconResource = "ZMAINFORM_TRAYICONMAIN";  // 16x16
inline constexpr std::string_view kLogImagesResource = "LOGFORM_IMGSMALL";       // 48x16, magenta transparent
inline constexpr int kLogImageSize = 16;

// The XPM lines of a resource by name (header, colours, pixel rows), or nullptr.
const char* const* FindImageResource(std::string_view name);

}  // namespace pellmar
