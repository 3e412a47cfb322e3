// An open registry key and its string values, as the settings store and the autostart entry use
// them: only REG_SZ counts as text. Owns the key handle. One thread at a time.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace pellmar::platform::win32 {

class RegistryKey {
public:
    // nullptr when the key cannot be opened with `access`; `create` makes a missing key.
    static std::unique_ptr<RegistryKey> Open(HKEY root, const std::wstring& path, REGSAM access, bool create);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // The value's text when it exists as REG_SZ; nullopt when missing or of another type.
    std::optional<std::string> ReadText(const std::wstring& name) const;
    bool ValueExists(const std::wstring& name) const;
    bool WriteText(const std::wstring& name, const std::string& value);
    // A missing value counts as deleted.
    bool DeleteValue(const std::wstring& name);

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_;
};

}  // namespace pellmar::platform::win32
