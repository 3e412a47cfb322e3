// The autostart entry as the value "PellmarTray" of the machine-wide Run key. The key is never
// created: without it (or without the rights to it) the entry cannot be written.
#include "platform/AutostartEntry.h"

#include "platform/win32/RegistryKey.h"

namespace pellmar::platform {
namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kValueName[] = L"PellmarTray";

}  // namespace

std::optional<bool> ReadAutostartEntry() {
    auto key = win32::RegistryKey::Open(HKEY_LOCAL_MACHINE, kRunKey, KEY_READ, false);
    if (!key) return std::nullopt;
    return key->ValueExists(kValueName);
}

bool WriteAutostartEntry(bool present, const std::string& programFolder) {
    auto key = win32::RegistryKey::Open(HKEY_LOCAL_MACHINE, kRunKey, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                                        false);
    if (!key) return false;
    if (!present) return key->DeleteValue(kValueName);
    return key->WriteText(kValueName, "\"" + programFolder + "Pellmar.exe\"");
}

std::string AutostartEntryLocation() {
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\PellmarTray";
}

}  // namespace pellmar::platform
