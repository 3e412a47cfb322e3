// Windows answers to the location queries: the shell's application data folder, the Windows
// directory as the protected system folder, the executable's folder from the module file name.
#include "platform/Environment.h"

#include "platform/win32/WideText.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace pellmar::platform {
namespace {

using win32::Narrow;
using win32::Widen;

std::string WithoutTrailingDelimiter(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

}  // namespace

char PathDelimiter() { return '\\'; }
bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

std::string GetEnvironmentText(const std::string& name) {
    const std::wstring wideName = Widen(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    return length < size ? Narrow(value.data(), length) : std::string();
}

std::string GetAppDataPath() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return WithoutTrailingDelimiter(Narrow(path));
}

// The settings live in the registry on Windows; this folder only serves callers that want a
// per-user place for files, which the application data folder is.
std::string GetUserConfigPath() { return GetAppDataPath(); }

std::string GetSystemDir() {
    wchar_t path[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return {};
    return Narrow(path, length);
}

int GetOsMajorVersion() {
    // GetVersionEx lies to programs without a compatibility manifest; the kernel's own call does not.
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                                     reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) return 0;
    return static_cast<int>(info.dwMajorVersion);
}

bool HasDetailedChangeRecords() { return true; }

std::string GetProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::string path = Narrow(buffer.data(), length);
            const std::size_t slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace pellmar::platform
