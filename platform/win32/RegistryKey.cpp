// Registry access through the wide-character API; values are UTF-8 above this layer.
#include "platform/win32/RegistryKey.h"

#include "platform/win32/WideText.h"

#include <vector>

namespace pellmar::platform::win32 {

std::unique_ptr<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access, bool create) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    if (result != ERROR_SUCCESS && create) {
        result = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                 &key, nullptr);
    }
    if (result != ERROR_SUCCESS) return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(key));
}

RegistryKey::~RegistryKey() { RegCloseKey(key_); }

std::optional<std::string> RegistryKey::ReadText(const std::wstring& name) const {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    // One spare character: a stored value need not end in a zero.
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::size_t length = 0;
    while (length < size / sizeof(wchar_t) && data[length] != L'\0') ++length;
    return Narrow(data.data(), length);
}

bool RegistryKey::ValueExists(const std::wstring& name) const {
    return RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegistryKey::WriteText(const std::wstring& name, const std::string& value) {
    const std::wstring wide = Widen(value);
    const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));  // with its terminating zero
    return RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::wstring& name) {
    const LONG result = RegDeleteValueW(key_, name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace pellmar::platform::win32
