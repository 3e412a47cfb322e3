// Private temporary folders under the user's temporary folder, whose ACL already admits only the
// user; CreateDirectoryW fails on a name that exists, so a folder is never shared with another run.
#include "platform/TemporaryFolder.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <string>

namespace pellmar::platform {

std::string MakePrivateTemporaryFolder(const std::string& prefix) {
    wchar_t base[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring folder(base, length);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    const unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = folder + win32::Widen(prefix) + std::to_wstring(seed + attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) return win32::Narrow(candidate);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

}  // namespace pellmar::platform
