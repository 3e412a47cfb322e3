// Test helpers that make files and folders under UTF-8 names through the wide-character API (the
// C runtime's narrow file functions would read the names in the system code page).
#pragma once

#include "platform/win32/WideText.h"
#include "tests/support/Wine.h"

#include <windows.h>

#include <string>

namespace pellmar::test {

inline bool WriteWideNamed(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(platform::win32::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    CloseHandle(file);
    return ok;
}

inline bool WideFileExists(const std::string& path) {
    return GetFileAttributesW(platform::win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace pellmar::test
