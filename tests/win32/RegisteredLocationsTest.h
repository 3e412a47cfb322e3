// The end-to-end ground with the settings key pointing at the test's own data and temporary
// folders, so that sessions and programs started by the test use those and not the user's.
#pragma once

#include "platform/win32/WideText.h"
#include "tests/e2e/E2eFixture.h"

#include <windows.h>

namespace pellmar::test {

class RegisteredLocationsTest : public E2eTest {
protected:
    RegisteredLocationsTest() {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quenmarsh\\Pellmar", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &settings_, nullptr);
        SetText(L"DataPath", DataPath());
        SetText(L"TempFilePath", TempFilePath().substr(0, TempFilePath().size() - 1));
    }
    ~RegisteredLocationsTest() override {
        RegDeleteValueW(settings_, L"DataPath");
        RegDeleteValueW(settings_, L"TempFilePath");
        RegCloseKey(settings_);
    }

private:
    void SetText(const wchar_t* name, const std::string& value) {
        const std::wstring wide = platform::win32::Widen(value);
        RegSetValueExW(settings_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    }

    HKEY settings_ = nullptr;
};

}  // namespace pellmar::test
