// The boundary between the program's texts (UTF-8 in std::string everywhere above the platform
// layer) and the wide-character (UTF-16) Windows API, so names outside the system code page survive.
// Pure conversions; any thread.
#pragma once

#include <string>

namespace pellmar::platform::win32 {

// Invalid UTF-8 sequences become U+FFFD rather than cutting the text short.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text, std::size_t length);

}  // namespace pellmar::platform::win32
